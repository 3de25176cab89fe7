#pragma once

#include "troubleshoot/Settings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tarnscope {

class CColourPickerCB;
class UserPrompt;

// The modal "Settings" dialog over the nine tunable values. OK, the six value
// boxes and the two colour lists stay disabled until "Activate" is pressed
// with the administrator password; a wrong password locks them again.
class CSettingsDialog : public QDialog {
    Q_OBJECT

public:
    // Shows `settings`; `prompt` serves the colour lists' "Custom..." item.
    CSettingsDialog(const DiagnosisSettings& settings, UserPrompt& prompt, QWidget* parent = nullptr);

    // The values read from the controls when the dialog ended with OK;
    // otherwise the values it was opened with.
    const DiagnosisSettings& Settings() const { return m_settings; }

    void EnableEditing(bool enable);

private:
    QWidget* CreateValueBoxes();
    QWidget* CreateSingleBoardFrame();
    void OnActivate();
    void OnOk();

    DiagnosisSettings m_settings;
    QLineEdit* m_password;
    QLineEdit* m_xLowThreshold;
    QLineEdit* m_xHighThreshold;
    QLineEdit* m_yLowThreshold;
    QLineEdit* m_yHighThreshold;
    QLineEdit* m_differenceRange;
    QLineEdit* m_changeDelta;
    CColourPickerCB* m_lowColourPicker;
    CColourPickerCB* m_highColourPicker;
    QComboBox* m_lightRange;
    QPushButton* m_ok;
};

} // namespace tarnscope
