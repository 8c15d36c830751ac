// What the framework's dialog controller needs to know about an effect's controls.
#pragma once
#include <cstdint>

// A slider with its number field, bound to an int16 parameter.
struct SliderBinding {
    int trackbarId;
    int editId;
    int16_t offset;  // byte offset of the int16 field in the EffectParams
    int16_t minimum, maximum;
    bool silent = false;    // a bad number is refused without a message: the field shows
                            // the parameter again
    bool deferLow = false;  // a number below the minimum that begins one within the range
                            // waits for the field to lose focus (so typing "1" on the way
                            // to "120" is not refused; "3" in 50..150 is)
};

// A group of source radios (Fingerwheel / Pressure / Fixed), bound to an int32 field.
// The radio of value v is firstRadioId + v - firstValue; the last one is Fixed, which a
// puck forces. (Ids in between that are no radio of the group are never checked.)
struct SourceBinding {
    int firstRadioId;
    int firstValue;  // 0 when the group starts with Fingerwheel, 1 when with Pressure
    int count;
    int16_t offset;
};

// A check box bound to a one-byte flag.
struct CheckBinding {
    int id;
    int16_t offset;
    bool inverted = false;         // the flag is 1 while the box is clear
    const int* enables = nullptr;  // controls enabled while the box is checked
    int enableCount = 0;
    bool manual = false;           // a plain check box: the dialog toggles it on a click
};

// Radio buttons that each store their own value in one field.
struct RadioBinding {
    const int* ids;
    const int32_t* values;
    int count;
    int16_t offset;
    uint8_t width = 4;  // bytes of the field: 1, 2 or 4
};

struct DialogControls {
    int applyId;  // 5 or 6: the Apply button's id differs between the modules
    const SliderBinding* sliders;
    int sliderCount;
    const SourceBinding* sources;
    int sourceCount;
    const CheckBinding* checks;
    int checkCount;
    void (*resetParams)();  // Alt+Cancel: the effect's reset defaults
    const RadioBinding* radios = nullptr;
    int radioCount = 0;
};
