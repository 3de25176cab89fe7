#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <optional>

namespace tarnscope {

// The full-screen view of a diagnosis outcome: the picture centred with its
// colour legend below its lower-left corner, or, without a picture, a text.
// The window is made once, hidden, and closing it only hides it.
class CShowResultDialog : public QDialog {
    Q_OBJECT

public:
    explicit CShowResultDialog(QWidget* parent = nullptr);

    // Replaces the held picture.
    void SetPicture(const QImage& picture);
    void DropPicture();
    bool HasPicture() const { return m_picture.has_value(); }

    // Shown only while there is no picture.
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void PaintPicture(const QImage& picture);
    void PaintText();

    QString m_text;
    std::optional<QImage> m_picture;
};

} // namespace tarnscope
