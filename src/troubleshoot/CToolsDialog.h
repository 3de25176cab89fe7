#pragma once

#include <QDialog>

class QLabel;

namespace tarnscope {

// The modal "Tools" dialog: an axis choice, a light-number box and a result
// line. No light number converts to a coordinate, so every change of the box
// shows the same result; the dialog hands nothing back to the main window.
class CToolsDialog : public QDialog {
    Q_OBJECT

public:
    // `selectedAxis`: 1 checks "X Coordinate", 0 "Y Coordinate".
    explicit CToolsDialog(int selectedAxis, QWidget* parent = nullptr);

    int SelectedAxis() const { return m_selectedAxis; }

private:
    int m_selectedAxis;
    QLabel* m_result;
};

} // namespace tarnscope
