#include "troubleshoot/CColourPickerCB.h"

#include "app/QtUserPrompt.h"
#include "common/UserPrompt.h"
#include "troubleshoot/ColourTable.h"

#include <QApplication>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <optional>

namespace tarnscope {

namespace {

constexpr int COLOUR_ROLE = Qt::UserRole;
constexpr std::uint32_t CHOOSER_START = 0x00000000;
constexpr int INSET = 2;

struct ColourItem {
    QString text;
    std::uint32_t colour;
};

std::optional<ColourItem> ItemAt(const QModelIndex& index)
{
    if (!index.isValid())
        return std::nullopt;
    return ColourItem { index.data(Qt::DisplayRole).toString(), index.data(COLOUR_ROLE).toUInt() };
}

// Draws one list item, or the selection field, into option.rect: the swatch
// runs from the left edge to x = q, a quarter of the item's width (q itself,
// not left + q), and the name starts at left + q + 2. The fixed colours are
// the palette's active window background, highlight and text; a disabled item
// uses the disabled text colour for both swatch and name.
void DrawColourItem(
    QPainter& painter, const QStyleOption& option, const std::optional<ColourItem>& item, const QWidget* widget)
{
    const QRect& rect = option.rect;
    const QPalette& palette = option.palette;
    const bool selected = option.state & QStyle::State_Selected;
    const QColor windowText = palette.color(QPalette::Active, QPalette::Text);
    QColor textColour = selected ? QColor::fromRgb(~windowText.rgb() & RGB_MASK) : windowText;
    painter.fillRect(rect, palette.color(QPalette::Active, selected ? QPalette::Highlight : QPalette::Base));

    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.rect = rect;
        focus.state = option.state;
        focus.palette = palette;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
    }

    const int q = rect.width() / 4;
    const QPoint textOrigin(rect.left() + q + INSET, rect.top() + INSET);
    const QRect swatch(QPoint(rect.left() + INSET, rect.top() + INSET), QPoint(q - 1, rect.bottom() - INSET));
    if (!item)
        return;

    QColor swatchColour = ToQColor(item->colour);
    if (!(option.state & QStyle::State_Enabled)) {
        swatchColour = palette.color(QPalette::Disabled, QPalette::Text);
        textColour = swatchColour;
    }
    painter.setPen(textColour);
    painter.drawText(QRect(textOrigin, rect.bottomRight()),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, item->text);
    if (swatch.isValid()) {
        painter.fillRect(swatch, swatchColour);
        painter.setPen(Qt::black);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    }
}

class ColourItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        DrawColourItem(*painter, option, ItemAt(index), option.widget);
        painter->restore();
    }
};

} // namespace

CColourPickerCB::CColourPickerCB(std::uint32_t colour, UserPrompt& prompt, QWidget* parent)
    : QComboBox(parent)
    , m_prompt(prompt)
{
    setItemDelegate(new ColourItemDelegate(this));
    for (const ColourEntry& entry : ColourTable)
        addItem(QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())), entry.colour);
    addItem(QString::fromLatin1(CUSTOM_COLOUR_NAME.data(), static_cast<qsizetype>(CUSTOM_COLOUR_NAME.size())),
        CUSTOM_COLOUR_START);
    setCurrentIndex(InitialColourSelection(colour, count()));
    connect(this, &QComboBox::activated, this, &CColourPickerCB::OnItemPicked);
}

std::uint32_t CColourPickerCB::SelectedColour() const
{
    return currentData(COLOUR_ROLE).toUInt();
}

void CColourPickerCB::OnItemPicked(int index)
{
    if (itemText(index) != QLatin1String(CUSTOM_COLOUR_NAME.data(), CUSTOM_COLOUR_NAME.size()))
        return;
    if (const auto chosen = m_prompt.askColour(CHOOSER_START)) {
        setItemData(index, *chosen, COLOUR_ROLE);
        update();
    }
}

void CColourPickerCB::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox frame;
    initStyleOption(&frame);
    frame.currentText.clear();
    frame.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, frame);

    QStyleOption field;
    field.initFrom(this);
    field.rect = style()->subControlRect(QStyle::CC_ComboBox, &frame, QStyle::SC_ComboBoxEditField, this);
    field.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    if (hasFocus())
        field.state |= QStyle::State_Selected | QStyle::State_HasFocus;
    const QModelIndex current = model()->index(currentIndex(), modelColumn(), rootModelIndex());
    DrawColourItem(painter, field, ItemAt(current), this);
}

} // namespace tarnscope
