#pragma once
// Which image an image button draws for its state: a pressed or disabled look wins
// over the roll-over image, which wins over the focus look.

enum class EButtonImage { Normal, Selected, Focus, Disabled, RollOver };

struct SButtonState {
    bool selected = false;
    bool disabled = false;
    bool hovering = false;
    bool focus = false;
};

// The optional images a button has; the normal image is always there.
struct SButtonImages {
    bool selected = false;
    bool focus = false;
    bool disabled = false;
    bool rollOver = false;
};

inline EButtonImage ChooseButtonImage(const SButtonState& state, const SButtonImages& images)
{
    if (state.selected && images.selected)
        return EButtonImage::Selected;
    if (state.disabled && images.disabled)
        return EButtonImage::Disabled;
    if (state.hovering && images.rollOver)
        return EButtonImage::RollOver;
    if (state.focus && images.focus)
        return EButtonImage::Focus;
    return EButtonImage::Normal;
}
