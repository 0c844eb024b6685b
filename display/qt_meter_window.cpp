#include <QImage>

#include "config/dialog/colour.h"
#include "config/dialog/dialog_widgets.h"
#include "config/dialog/form2.h"
#include "display/bar_geometry.h"
#include "display/display.h"

namespace kestrin {

bool SPlus20 = false;
int32_t Decay = kFallbackDecay;
int32_t OverCount = 0;
int32_t Baseline = 0;
TLevelTable LevelTable = {};
TForm1* Form1 = nullptr;

bool MeterSettingsHost::LockSetChecked() const {
    return Form2 ? Form2->LockSet->isChecked() : MeterSettings.Locked;
}

int32_t MeterSettingsHost::WindowLeft() const {
    return Form1 ? Form1->pos().x() : MeterSettings.left;
}

int32_t MeterSettingsHost::WindowTop() const {
    return Form1 ? Form1->pos().y() : MeterSettings.top;
}

TForm1::TForm1(QWidget* parent)
    : QWidget(parent), m_surface(kDesignedClientWidth, kClientHeight, QImage::Format_RGB32) {
    Form1 = this;
    SetSettingsHost(&m_settingsHost);
    BuildLayout();
    m_surface.fill(ToQColor(m_windowColour));
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this) {
        Form1 = nullptr;
        SetSettingsHost(nullptr);
    }
}

}  // namespace kestrin
