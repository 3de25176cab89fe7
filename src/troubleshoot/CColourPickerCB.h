#pragma once

#include <QComboBox>
#include <cstdint>

namespace tarnscope {

class UserPrompt;

// A drop-down list of the ten fixed colours and "Custom...", each item drawn
// as a swatch followed by its name. Every item stores a colour value
// (0x00BBGGRR); picking "Custom..." asks the user for a colour, which that
// item then stores.
class CColourPickerCB : public QComboBox {
    Q_OBJECT

public:
    // Fills the list and selects the first fixed colour equal to `colour`,
    // else "Custom..." (which starts out white, whatever `colour` was).
    CColourPickerCB(std::uint32_t colour, UserPrompt& prompt, QWidget* parent = nullptr);

    // The colour stored with the selected item.
    std::uint32_t SelectedColour() const;

protected:
    // The selection field is drawn like the list's items.
    void paintEvent(QPaintEvent* event) override;

private:
    void OnItemPicked(int index);

    UserPrompt& m_prompt;
};

} // namespace tarnscope
