#include "app/CTarnscopeDlg.h"

#include "advance/CAdvanceDialog.h"
#include "diagnosis/CShowResultDialog.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace tarnscope {

CTarnscopeDlg::CTarnscopeDlg(std::unique_ptr<FrameSource> source, FrameSession::Options options, QWidget* parent)
    : QDialog(parent)
    , m_hIcon(":/tarnscope/tarnscope.png")
    , m_form(*this)
    , m_prompt(this)
    , m_source(std::move(source))
    , m_session(std::make_unique<FrameSession>(m_source->Backend(), m_clock, m_prompt, *this, this, std::move(options)))
{
    // Linux desktops draw a minimised window's icon themselves from this.
    setWindowIcon(m_hIcon);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    ConnectButtons();

    m_source->Start([this] { m_session->OnDeviceChange(); });
    m_session->Start();

    m_resultDlg = new CShowResultDialog(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_resultDlg->setGeometry(QRect(QPoint(0, 0), screen->size()));
    m_resultDlg->hide();

    m_keys = std::make_unique<KeyboardCommands>(
        *this, *m_session, std::make_unique<QtTroubleshootDialogs>(*this, m_prompt));
}

CTarnscopeDlg::~CTarnscopeDlg()
{
    m_session->Shutdown();
    m_source->Stop();
}

void CTarnscopeDlg::ConnectButtons()
{
    connect(m_form.autoDiagnosisButton(), &QPushButton::clicked, this, [this] { m_session->OnAutoDiagnosis(); });
    connect(m_form.advanceDiagnosisButton(), &QPushButton::clicked, this, [this] { m_session->OnAdvanceDiagnosis(); });
    connect(m_form.saveButton(), &QPushButton::clicked, this, [this] { m_session->OnSave(); });
}

void CTarnscopeDlg::setTitle(const std::string& title)
{
    setWindowTitle(QString::fromStdString(title));
}

void CTarnscopeDlg::setButtonEnabled(int buttonId, bool enabled)
{
    if (QWidget* button = m_form.control(buttonId))
        button->setEnabled(enabled);
}

int CTarnscopeDlg::progress() const
{
    return m_form.progress()->value();
}

void CTarnscopeDlg::setProgress(int position)
{
    m_form.progress()->setValue(position);
}

void CTarnscopeDlg::quitProgram()
{
    // Queued, so it also ends a program whose event loop has not started yet;
    // exit, not quit, which would close the window through the save question.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void CTarnscopeDlg::showDiagnosisPicture(const QImage& picture, bool maximised)
{
    m_resultDlg->SetPicture(picture);
    if (maximised)
        m_resultDlg->showMaximized();
    else
        m_resultDlg->show();
}

void CTarnscopeDlg::setResultText(const std::string& text)
{
    m_resultDlg->SetText(QString::fromStdString(text));
    m_resultDlg->DropPicture();
}

void CTarnscopeDlg::setListTexts(const std::string& xText, const std::string& yText)
{
    m_xListText = xText;
    m_yListText = yText;
    m_form.xList()->setPlainText(QString::fromStdString(xText));
    m_form.yList()->setPlainText(QString::fromStdString(yText));
}

std::string CTarnscopeDlg::listText(int listId) const
{
    return listId == LIST_X ? m_xListText : m_yListText;
}

void CTarnscopeDlg::showAdvanceScreen()
{
    if (!m_advanceDlg) {
        m_advanceDlg = new CAdvanceDialog(this);
        connect(
            m_advanceDlg, &CAdvanceDialog::advanceNotice, this,
            [this](int first, int second) { m_session->OnAdvanceNotice(first, second); }, Qt::QueuedConnection);
    }
    m_advanceDlg->setGeometry(0, 0, screenWidth(), screenHeight());
    m_advanceDlg->show();
}

int CTarnscopeDlg::screenWidth() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size().width() : 0;
}

int CTarnscopeDlg::screenHeight() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size().height() : 0;
}

void CTarnscopeDlg::showCurrentPos(int position)
{
    // Worker thread; the dialog hands the position to the UI thread itself.
    m_advanceDlg->ShowCurrentPos(position);
}

void CTarnscopeDlg::reject()
{
    // The close box reaches here too, through QDialog::closeEvent.
    if (m_closing || m_session->OnCloseRequest() == CloseDecision::StayOpen)
        return;
    m_closing = true;
    QDialog::reject();
}

} // namespace tarnscope
