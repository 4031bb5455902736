#pragma once
// Receiver of a VCustomSlider's live value while the user drags its knob.
class VCustomSlider;

class CustomSliderDelegate {
public:
    virtual ~CustomSliderDelegate() = default;
    // value is the slider's floating value (see MCustomSlider::floatValue).
    virtual void customSliderFloatValue(VCustomSlider *slider, double value) = 0;
};
