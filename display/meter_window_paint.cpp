#include <algorithm>

#include "config/dialog/settings_dialog.h"
#include "config/settings.h"
#include "display/bar_geometry.h"
#include "display/meter_window.h"

namespace kestrin {
namespace {

// Puts a stored text into a field of the dialog, unless it holds that text already: setting it
// would move the cursor of a field being edited.
void PutBack(SettingsDialog& dialog, DialogField field, const std::string& text) {
    if (dialog.FieldText(field) != text) {
        dialog.SetFieldText(field, text);
    }
}

}  // namespace

void MeterWindow::FormPaint() {
    ApplyAlwaysOnTop(MeterSettings.ShortName, MeterSettings.OnTop);
    SettingsDialog& dialog = *TheSettingsDialog();
    PutBack(dialog, DialogField::Edit1, MeterSettings.cal);
    PutBack(dialog, DialogField::Edit2, MeterSettings.decay);
    Baseline = BaselineFor(MeterHeight());
    ClearHeldPeaks(Bars);

    FillRect(PanelRect(Baseline), kPanelColour);
    for (const int x : kTickColumnX) {
        DrawTicks(x, Baseline);
    }
    if (m_loudnessShown) {
        PaintLoudnessScale();
    }
    // The whole window, as laid out: what lies outside the client area is the toolkit's to leave.
    EndDrawing({PixelRect{0, 0, PaintedWidth(), ClientHeight()}});
    // The panel has wiped the bar columns: the next buffer repaints them whole.
    m_columns.fill(ColumnPicture{});

    SetScaleLabels();
    BuildLevelTable(LevelTable);
}

void MeterWindow::DrawTicks(int x, int baseline) {
    for (const PixelLine& line : TickLines(x, baseline)) {
        DrawLine(line.x0, line.y, line.x1, kTickColour);
    }
}

void MeterWindow::DrawBar(int32_t level, int x, int32_t colour, int32_t dimColour,
                          const RowSpan& rows) {
    const BarFills bar = BarRectangles(level, x, BaselineFor(MeterHeight()),
                                       AmberThreshold(MeterSettings.amber), colour, dimColour);
    for (int i = 0; i < bar.count; ++i) {
        const BarFill& fill = bar.fills[static_cast<size_t>(i)];
        // Only the rows asked for: the others already show what the fill would put there.
        const int top = std::max(fill.rect.top, rows.first);
        const int bottom = std::min(fill.rect.top + fill.rect.height - 1, rows.last);
        if (top <= bottom) {
            FillRect({fill.rect.left, top, fill.rect.width, bottom - top + 1}, fill.colour);
        }
    }
}

namespace {

struct Column {
    MeterWindow::BarId id;
    int x;
    int32_t colour;
};

std::array<Column, 4> Columns(const TMeterSettings& s) {
    return {{{MeterWindow::A, kBarAX, s.Acolor},
             {MeterWindow::B, kBarBX, s.Bcolor},
             {MeterWindow::M, kBarMX, s.Mcolor},
             {MeterWindow::S, kBarSX, s.Scolor}}};
}

}  // namespace

MeterWindow::ColumnPlan MeterWindow::PlanColumns() {
    const TMeterSettings& s = MeterSettings;
    const std::array<Column, 4> columns = Columns(s);
    const int amberThreshold = AmberThreshold(s.amber);
    ColumnPlan plan{m_columns, {}, {}};
    for (const Column& column : columns) {
        if ((column.id == M || column.id == S) && !s.showMS) {
            continue;
        }
        const int32_t dim = column.colour & kDimMask;
        plan.after[column.id] = {true, Bars[column.id].Level, amberThreshold, column.colour, dim,
                                 {}};
        plan.barDrawn[column.id] = true;
    }

    // Held-peak lines on top of the bars, for every bar whether shown or not.
    for (const BarId id : {A, B, S, M}) {
        const std::optional<int32_t> held = UpdatePeakHold(Bars[id], id == S, s.PeakHold);
        if (!held) {
            continue;
        }
        plan.lines[id] = HeldPeakLine(columns[id].x, Baseline, *held);
        if (!plan.barDrawn[id]) {
            // Lines pile up in a column whose bar is not drawn.
            plan.after[id].known = false;
        }
        plan.after[id].lineRow = plan.lines[id]->y;
    }
    return plan;
}

// First what each column is to show, then only the rows in which that differs from what it
// shows now are drawn and shown. Parts outside the client area are the toolkit's to leave out.
void MeterWindow::PaintBuffer() {
    const ColumnPlan plan = PlanColumns();
    const int barBaseline = BaselineFor(MeterHeight());
    std::vector<PixelRect>& changed = m_changed;
    changed.clear();
    for (const Column& column : Columns(MeterSettings)) {
        const ColumnPicture& before = m_columns[column.id];
        const ColumnPicture& after = plan.after[column.id];
        const bool barDrawn = plan.barDrawn[column.id];
        if (!barDrawn && m_loudnessShown && column.x == LoudnessBarX(MeterSettings.showMS)) {
            continue;  // the loudness column stands where the hidden M would
        }
        RowSpan rows;
        if (barDrawn) {
            rows = ChangedBarRows(before, after, barBaseline);
        } else if (after.lineRow != before.lineRow) {
            rows = RowSpan{}.united(*after.lineRow);
        }
        if (rows.empty()) {
            continue;
        }
        if (barDrawn) {
            DrawBar(after.level, column.x, column.colour, after.dimColour, rows);
        }
        const std::optional<PixelLine>& line = plan.lines[column.id];
        if (line && line->y >= rows.first && line->y <= rows.last) {
            DrawLine(line->x0, line->y, line->x1, kHeldPeakColour);
        }
        changed.push_back({column.x, rows.first, kBarWidth, rows.last - rows.first + 1});
    }
    m_columns = plan.after;
    if (m_loudnessShown) {
        PaintLoudnessColumn(changed);
    }
    EndDrawing(changed);
}

}  // namespace kestrin
