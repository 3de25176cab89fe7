#pragma once

class QDialog;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace tarnscope {

// Control ids of the main window. Each control's object name is its id in
// decimal ("1020"), so the controller and the tests can find controls by id.
enum MainControlId : int {
    IDC_SCAN_NOTE = 1003,
    IDC_X_LIST = 1018,
    IDC_Y_LIST = 1019,
    IDC_AUTO_DIAGNOSIS = 1020,
    IDC_PROGRESS = 1021,
    IDC_ADVANCE_DIAGNOSIS = 1022,
    IDC_X_LIST_LABEL = 1024,
    IDC_Y_LIST_LABEL = 1025,
    IDC_SAVE = 1031,
    IDC_VERSION = 1032,
};

// Builds the main window's controls on `dialog`: caption, fixed client size,
// dialog font and every control with its kind, text and geometry, all laid
// out in dialog units. The controls belong to the dialog.
class MainDialogForm {
public:
    explicit MainDialogForm(QDialog& dialog);

    // The control with that id, or nullptr.
    QWidget* control(int id) const;

    QPlainTextEdit* xList() const { return m_xList; }
    QPlainTextEdit* yList() const { return m_yList; }
    QProgressBar* progress() const { return m_progress; }
    QPushButton* autoDiagnosisButton() const { return m_autoDiagnosis; }
    QPushButton* advanceDiagnosisButton() const { return m_advanceDiagnosis; }
    QPushButton* saveButton() const { return m_save; }

private:
    QDialog& m_dialog;
    QPlainTextEdit* m_xList = nullptr;
    QPlainTextEdit* m_yList = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_autoDiagnosis = nullptr;
    QPushButton* m_advanceDiagnosis = nullptr;
    QPushButton* m_save = nullptr;
};

} // namespace tarnscope
