#pragma once

#include "app/FrameSession.h"
#include "app/FrameSource.h"
#include "app/MainDialogForm.h"
#include "app/QtUserPrompt.h"
#include "app/SessionView.h"
#include "troubleshoot/KeyboardCommands.h"

#include <QDialog>
#include <QIcon>
#include <memory>

namespace tarnscope {

class CShowResultDialog;
class CAdvanceDialog;

// The main window: the controls of the main dialog, the result view and the
// advance screen, wired to one FrameSession that does the work.
class CTarnscopeDlg final : public QDialog, public SessionView {
    Q_OBJECT

public:
    // `source` gives the frames (real or simulated); `options` the file locations.
    CTarnscopeDlg(std::unique_ptr<FrameSource> source, FrameSession::Options options, QWidget* parent = nullptr);
    ~CTarnscopeDlg() override;

    FrameSession& Session() { return *m_session; }
    MainDialogForm& Form() { return m_form; }
    CShowResultDialog* ResultView() const { return m_resultDlg; }
    CAdvanceDialog* AdvanceScreen() const { return m_advanceDlg; }
    KeyboardCommands& Keys() { return *m_keys; }

    // SessionView.
    void setTitle(const std::string& title) override;
    void setButtonEnabled(int buttonId, bool enabled) override;
    int progress() const override;
    void setProgress(int position) override;
    void quitProgram() override;
    void showDiagnosisPicture(const QImage& picture, bool maximised) override;
    void setResultText(const std::string& text) override;
    void setListTexts(const std::string& xText, const std::string& yText) override;
    std::string listText(int listId) const override;
    void showAdvanceScreen() override;
    int screenWidth() const override;
    int screenHeight() const override;
    void showCurrentPos(int position) override;

public slots:
    // Escape and the close box: unsaved results are offered for saving first.
    void reject() override;

private:
    void ConnectButtons();

    QIcon m_hIcon;
    MainDialogForm m_form;
    QtUserPrompt m_prompt;
    std::unique_ptr<FrameSource> m_source;
    SteadyClock m_clock;
    std::unique_ptr<FrameSession> m_session;
    CShowResultDialog* m_resultDlg = nullptr;
    CAdvanceDialog* m_advanceDlg = nullptr;
    std::string m_xListText; // as set, with its "\r\n" line breaks, for the log
    std::string m_yListText;
    bool m_closing = false;
    std::unique_ptr<KeyboardCommands> m_keys;
};

} // namespace tarnscope
