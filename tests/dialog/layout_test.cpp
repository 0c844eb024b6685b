#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include "config/dialog/qt/dialog_controls.h"
#include "tests/dialog/dialog_fixture.h"

namespace kestrin::test {
namespace {

// The controls of one parent, windows (the colour chooser) aside.
std::vector<QWidget*> Controls(QWidget* parent) {
    std::vector<QWidget*> controls;
    for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->isWindow() && !w->isHidden()) controls.push_back(w);
    }
    return controls;
}

std::vector<QWidget*> AllControls(QWidget* top) {
    std::vector<QWidget*> all;
    for (QWidget* w : Controls(top)) {
        all.push_back(w);
        for (QWidget* inner : AllControls(w)) all.push_back(inner);
    }
    return all;
}

using DialogLayoutTest = DialogTest;

TEST_F(DialogLayoutTest, TheWindowIsAFixedKestrinDialog) {
    EXPECT_EQ(Form2, form.get());
    EXPECT_EQ(form->windowTitle(), "Kestrin");
    EXPECT_EQ(form->size(), QSize(356, 733));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->font().family(), "Liberation Sans");
    EXPECT_EQ(form->font().pixelSize(), 11);
}

TEST_F(DialogLayoutTest, ControlsStandWhereTheFormPlacesThem) {
    struct Place {
        QWidget* widget;
        QWidget* parent;
        QRect geometry;
    };
    const Place places[] = {
        {form->Panel1, form->Contents(), {8, 8, 337, 105}},
        {form->Panel2, form->Contents(), {7, 120, 338, 377}},
        {form->Edit1, form->Panel2, {196, 34, 36, 24}},
        {form->GroupBox3, form->Panel2, {20, 136, 297, 49}},
        {form->RadioButton4, form->GroupBox3, {168, 24, 113, 17}},
        {form->CheckBox2, form->Panel2, {185, 231, 133, 16}},
        {form->Mbar, form->Panel2, {216, 321, 9, 40}},
        {form->Sbar, form->Contents(), {240, 441, 9, 40}},
        {form->ComboBox1, form->Contents(), {128, 516, 169, 21}},
        {form->LockSet, form->Contents(), {40, 592, 89, 17}},
        {form->Button1, form->Contents(), {233, 588, 64, 25}},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.widget->metaObject()->className());
        EXPECT_EQ(p.widget->parentWidget(), p.parent);
        EXPECT_EQ(p.widget->geometry(), p.geometry);
    }
    EXPECT_EQ(form->Label9->pos(), QPoint(12, 11));
    EXPECT_EQ(form->Label17->parentWidget(), form->Panel1);
    EXPECT_EQ(form->Label17->pos(), QPoint(64, 80));
}

// 1920 x 1080 pixels at a scale of 2 leave a work area of 960 x 540, lower than the dialog.
TEST_F(DialogLayoutTest, OnALowScreenTheControlsScrollAndOkIsReached) {
    const QRect workArea(0, 0, 960, 540);
    Open();
    form->FitToWorkArea(workArea);
    EXPECT_TRUE(workArea.contains(form->frameGeometry())) << form->frameGeometry().height();
    EXPECT_LT(form->height(), 633);
    EXPECT_EQ(form->minimumSize(), form->maximumSize());

    auto* scroller = form->findChild<QScrollArea*>();
    ASSERT_NE(scroller, nullptr);
    QScrollBar* scrollBar = scroller->verticalScrollBar();
    QCoreApplication::processEvents();  // the scroll bar is shown from the event loop
    ASSERT_TRUE(scrollBar->isVisible());
    const QPoint ok = form->Button1->geometry().center();
    EXPECT_EQ(form->childAt(ok), nullptr) << "OK lies below the dialog until scrolled to";
    scrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
    const QPoint shown = form->Button1->mapTo(form.get(), form->Button1->rect().center());
    ASSERT_EQ(form->childAt(shown), form->Button1);
    QTest::mouseClick(form->childAt(shown), Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Accepted);
}

TEST_F(DialogLayoutTest, DesignTextsAndFonts) {
    EXPECT_EQ(form->Label1->text(), "version");
    EXPECT_EQ(form->Edit1->text(), " 0");
    EXPECT_EQ(form->Label14->text(), "0");
    EXPECT_EQ(form->Label5->text(), "PPM '4' or 0dB  reference = ");
    EXPECT_EQ(form->GroupBox2->title(), "  Scale  ");
    EXPECT_EQ(form->Label1->font().pixelSize(), 16);
    EXPECT_TRUE(form->Label1->font().bold());
    EXPECT_EQ(form->CheckBox1->font().pixelSize(), 13);
    EXPECT_EQ(form->Label6->font().pixelSize(), 11);
    EXPECT_TRUE(form->ComboBox1->isEditable());
    EXPECT_EQ(form->ShortNameBox->maxLength(), 12);
}

TEST_F(DialogLayoutTest, CaptionsStandLeftOfTheirButtons) {
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>()) {
        if (qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b)) {
            SCOPED_TRACE(b->text().toStdString());
            EXPECT_EQ(b->layoutDirection(), Qt::RightToLeft);
        }
    }
}

TEST_F(DialogLayoutTest, NoTextIsClippedAndNoControlCoversAnother) {
    form->FillFromSettings({"Line In"});  // the longest texts the labels hold
    form->Label14->setText("-12.5 dB");
    for (QWidget* w : AllControls(form->Contents())) {
        const std::string name = w->metaObject()->className() + std::string(" ") +
                                 w->property("text").toString().toStdString();
        SCOPED_TRACE(name);
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()));
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            // A push button's hint includes the style's least width; its caption must fit.
            EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 8);
        } else if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
            EXPECT_LE(w->sizeHint().width(), w->width());
        }
    }
    for (QWidget* parent :
         std::vector<QWidget*>{form->Contents(), form->Panel1, form->Panel2, form->GroupBox1,
                               form->GroupBox2, form->GroupBox3}) {
        const std::vector<QWidget*> controls = Controls(parent);
        for (size_t i = 0; i < controls.size(); ++i) {
            for (size_t j = i + 1; j < controls.size(); ++j) {
                // The S swatch stands in the row of the other swatches, over the panel.
                if (controls[i] == form->Panel2 && controls[j] == form->Sbar) continue;
                EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                    << controls[i]->metaObject()->className() << " "
                    << controls[i]->property("text").toString().toStdString() << " / "
                    << controls[j]->metaObject()->className() << " "
                    << controls[j]->property("text").toString().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace kestrin::test
