#pragma once

#include "config/dialog/settings_dialog.h"

namespace kestrin {

// Which of a dialog's controls a field, toggle or swatch is. Every toolkit's dialog names its
// controls alike (Edit1, CheckBox1, Abar, ...), so the one table serves them all; Control is the
// type through which the toolkit handles them (a widget base class, a window handle).

template <class Control, class Form>
Control FieldControl(const Form& form, DialogField field) {
    switch (field) {
        case DialogField::Edit1:
            return form.Edit1;
        case DialogField::Edit2:
            return form.Edit2;
        case DialogField::ShortNameBox:
            break;
    }
    return form.ShortNameBox;
}

template <class Control, class Form>
Control ToggleControl(const Form& form, DialogToggle toggle) {
    switch (toggle) {
        case DialogToggle::CheckBox1:
            return form.CheckBox1;
        case DialogToggle::CheckBox2:
            return form.CheckBox2;
        case DialogToggle::CheckBox3:
            return form.CheckBox3;
        case DialogToggle::RadioButton1:
            return form.RadioButton1;
        case DialogToggle::RadioButton2:
            return form.RadioButton2;
        case DialogToggle::RadioButton3:
            return form.RadioButton3;
        case DialogToggle::RadioButton4:
            return form.RadioButton4;
        case DialogToggle::RadioButton5:
            return form.RadioButton5;
        case DialogToggle::RadioButton6:
            return form.RadioButton6;
        case DialogToggle::LockSet:
            break;
    }
    return form.LockSet;
}

template <class Control, class Form>
Control SwatchControl(const Form& form, Swatch swatch) {
    switch (swatch) {
        case Swatch::Abar:
            return form.Abar;
        case Swatch::Bbar:
            return form.Bbar;
        case Swatch::Mbar:
            return form.Mbar;
        case Swatch::Sbar:
            break;
    }
    return form.Sbar;
}

}  // namespace kestrin
