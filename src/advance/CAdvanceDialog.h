#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

class QTimer;

namespace tarnscope {

// Control ids of the advance dialog; object names are the ids in decimal.
enum AdvanceControlId : int {
    IDC_ADVANCE_CLOSE = 2,
    IDC_FROM_UP_TO_DOWN = 1028,
    IDC_FROM_LEFT_TO_RIGHT = 1029,
    IDC_SHOW_RESULT = 1030,
};

// The white full-screen screen of an advance diagnosis: four buttons in a
// left column, the last reported LED position in the top-left corner and a
// one-second countdown in the centre while a pass runs. It only reports the
// user's choices through advanceNotice; the main window does the work.
//
// What is drawn (position line and countdown number) is kept as state and
// painted in paintEvent, so a repaint of the window keeps showing both.
class CAdvanceDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAdvanceDialog(QWidget* parent = nullptr);

    // Any thread. The position (-1 for interference) is handed to the UI
    // thread, which updates the position line when its event loop runs.
    void ShowCurrentPos(int position);

    int SecondsLeft() const { return m_secondsLeft; }
    const QString& CountdownText() const { return m_countdownText; }
    const QString& PositionText() const { return m_positionText; }

    // The "Close" command; also reached by Escape and the close request.
    void reject() override;

signals:
    // (1, 0) an X pass starts, (0, 0) a Y pass starts, (1, 1) the run ends
    // without a report, (0, 1) the run ends and the report is built. Connect
    // with Qt::QueuedConnection: the receiver then handles the notice after
    // the dialog's handler has returned, as with a posted window message.
    void advanceNotice(int first, int second);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartPass(int startSeconds, int axis);
    void OnCountdownTick();
    void OnShowResult();
    void SetPositionText(int position);
    QRect CountdownSquare() const;

    QFont m_posFont;
    QFont m_countdownFont;
    QTimer* m_countdownTimer;
    int m_secondsLeft = 0;
    QString m_countdownText;
    QString m_positionText;
};

} // namespace tarnscope
