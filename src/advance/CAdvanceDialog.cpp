#include "advance/CAdvanceDialog.h"

#include "app/DialogUnits.h"
#include "diagnosis/PictureRenderer.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <array>

namespace tarnscope {

namespace {

struct ButtonTemplate {
    int id;
    const char* text;
    int y; // dialog units; every button sits at x 7 and is 106 x 22
};

constexpr std::array<ButtonTemplate, 4> ADVANCE_BUTTONS { {
    { IDC_FROM_LEFT_TO_RIGHT, "From Left To Right", 41 },
    { IDC_FROM_UP_TO_DOWN, "From Up To Down", 67 },
    { IDC_SHOW_RESULT, "Show Result", 95 },
    { IDC_ADVANCE_CLOSE, "Close", 123 },
} };
constexpr int BUTTON_X_DU = 7;
constexpr int BUTTON_WIDTH_DU = 106;
constexpr int BUTTON_HEIGHT_DU = 22;
constexpr int DESIGN_WIDTH_DU = 340;
constexpr int DESIGN_HEIGHT_DU = 241;

constexpr int AXIS_X = 1;
constexpr int AXIS_Y = 0;
constexpr int X_PASS_SECONDS = 30;
constexpr int Y_PASS_SECONDS = 25;
constexpr int NOTICE_PASS = 0;
constexpr int NOTICE_END = 1;
constexpr int END_WITHOUT_REPORT = 1;
constexpr int END_WITH_REPORT = 0;

constexpr int TICK_MS = 1000;
constexpr int POSITION_INTERFERENCE = -1;
constexpr QRect POSITION_AREA(0, 0, 300, 70);
constexpr int COUNTDOWN_HALF_SIDE = 50;
constexpr int POSITION_FONT_POINTS = 20;
constexpr int COUNTDOWN_FONT_POINTS = 72;

bool IsEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

CAdvanceDialog::CAdvanceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_posFont(ArialFont(POSITION_FONT_POINTS))
    , m_countdownFont(ArialFont(COUNTDOWN_FONT_POINTS))
    , m_countdownTimer(new QTimer(this))
{
    setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsOf(font());
    resize(DialogUnitsToPixels(units, DESIGN_WIDTH_DU, DESIGN_HEIGHT_DU));

    for (const ButtonTemplate& item : ADVANCE_BUTTONS) {
        auto* button = new QPushButton(QString::fromLatin1(item.text), this);
        button->setObjectName(QString::number(item.id));
        button->setGeometry(DialogUnitsToPixels(units, BUTTON_X_DU, item.y, BUTTON_WIDTH_DU, BUTTON_HEIGHT_DU));
        // Enter must not press the focused or the default button.
        button->installEventFilter(this);
        switch (item.id) {
        case IDC_FROM_LEFT_TO_RIGHT:
            button->setDefault(true);
            connect(button, &QPushButton::clicked, this, [this] { StartPass(X_PASS_SECONDS, AXIS_X); });
            break;
        case IDC_FROM_UP_TO_DOWN:
            connect(button, &QPushButton::clicked, this, [this] { StartPass(Y_PASS_SECONDS, AXIS_Y); });
            break;
        case IDC_SHOW_RESULT:
            connect(button, &QPushButton::clicked, this, &CAdvanceDialog::OnShowResult);
            break;
        default:
            connect(button, &QPushButton::clicked, this, &CAdvanceDialog::reject);
            break;
        }
    }

    m_countdownTimer->setInterval(TICK_MS);
    connect(m_countdownTimer, &QTimer::timeout, this, &CAdvanceDialog::OnCountdownTick);
}

void CAdvanceDialog::ShowCurrentPos(int position)
{
    QMetaObject::invokeMethod(
        this, [this, position] { SetPositionText(position); }, Qt::QueuedConnection);
}

void CAdvanceDialog::reject()
{
    hide();
    emit advanceNotice(END_WITHOUT_REPORT, NOTICE_END);
}

void CAdvanceDialog::OnShowResult()
{
    hide();
    emit advanceNotice(END_WITH_REPORT, NOTICE_END);
}

void CAdvanceDialog::StartPass(int startSeconds, int axis)
{
    m_countdownTimer->stop();
    m_secondsLeft = startSeconds;
    m_countdownTimer->start();
    emit advanceNotice(axis, NOTICE_PASS);
}

// Shows the start value one second after the pass began, then one less each
// second down to 0, where the timer stops; the last number stays shown.
void CAdvanceDialog::OnCountdownTick()
{
    m_countdownText = QString::number(m_secondsLeft);
    --m_secondsLeft;
    if (m_secondsLeft == -1)
        m_countdownTimer->stop();
    update(CountdownSquare());
}

void CAdvanceDialog::SetPositionText(int position)
{
    m_positionText = position == POSITION_INTERFERENCE ? QStringLiteral("Current Pos: interference")
                                                       : QStringLiteral("Current Pos: %1 ").arg(position);
    update(POSITION_AREA);
}

QRect CAdvanceDialog::CountdownSquare() const
{
    const QPoint centre(width() / 2, height() / 2);
    const QPoint half(COUNTDOWN_HALF_SIDE, COUNTDOWN_HALF_SIDE);
    return { centre - half, centre + half - QPoint(1, 1) };
}

void CAdvanceDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    if (!m_positionText.isEmpty()) {
        painter.setFont(m_posFont);
        painter.drawText(POSITION_AREA, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_positionText);
    }
    if (!m_countdownText.isEmpty()) {
        painter.setFont(m_countdownFont);
        painter.drawText(CountdownSquare(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_countdownText);
    }
}

void CAdvanceDialog::keyPressEvent(QKeyEvent* event)
{
    if (IsEnterKey(event))
        return;
    QDialog::keyPressEvent(event);
}

bool CAdvanceDialog::eventFilter(QObject* watched, QEvent* event)
{
    return IsEnterKey(event) || QDialog::eventFilter(watched, event);
}

} // namespace tarnscope
