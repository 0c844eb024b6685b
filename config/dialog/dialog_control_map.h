#pragma once

#include <array>
#include <cstddef>

#include "config/dialog/settings_dialog.h"

namespace kestrin {

// Which of a dialog's controls a field, toggle or swatch is. Every toolkit's dialog names its
// controls alike (Edit1, CheckBox1, Abar, ...), so the one table serves them all, each list in the
// order of its enumeration. Control is the type through which the toolkit handles the toggles (a
// widget base class, a window handle).

template <class Form>
auto FieldControl(const Form& form, DialogField field) {
    return std::array{form.Edit1, form.Edit2, form.ShortNameBox, form.Edit3,
                      form.Edit4}[static_cast<size_t>(field)];
}

template <class Control, class Form>
Control ToggleControl(const Form& form, DialogToggle toggle) {
    const std::array<Control, std::size(kDialogToggles)> toggles{
        form.CheckBox1,    form.CheckBox2,     form.CheckBox3,    form.RadioButton1,
        form.RadioButton2, form.RadioButton3,  form.RadioButton4, form.RadioButton5,
        form.RadioButton6, form.LockSet,       form.RadioButton7, form.RadioButton8,
        form.RadioButton9, form.RadioButton10, form.CheckBox4,    form.CheckBox5};
    return toggles[static_cast<size_t>(toggle)];
}

template <class Form>
auto SwatchControl(const Form& form, Swatch swatch) {
    return std::array{form.Abar, form.Bbar, form.Mbar, form.Sbar}[static_cast<size_t>(swatch)];
}

}  // namespace kestrin
