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
    Baseline = BaselineFor(ClientHeight());
    ClearHeldPeaks(Bars);

    BeginDrawing();
    FillRect(PanelRect(Baseline), kPanelColour);
    for (const int x : kTickColumnX) {
        DrawTicks(x, Baseline);
    }
    // The whole window, as laid out: what lies outside the client area is the toolkit's to leave.
    EndDrawing({PixelRect{0, 0, kDesignedClientWidth, ClientHeight()}});
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
    const BarFills bar = BarRectangles(level, x, BaselineFor(ClientHeight()),
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

void MeterWindow::PaintBuffer() {
    struct Column {
        BarId id;
        int x;
        int32_t colour;
    };
    const TMeterSettings& s = MeterSettings;
    const Column columns[4] = {
        {A, kBarAX, s.Acolor}, {B, kBarBX, s.Bcolor}, {M, kBarMX, s.Mcolor}, {S, kBarSX, s.Scolor}};
    const int barBaseline = BaselineFor(ClientHeight());
    const int amberThreshold = AmberThreshold(s.amber);

    // First what each column is to show, then only the rows in which that differs from what it
    // shows now are drawn and shown.
    std::array<ColumnPicture, 4> after = m_columns;
    std::array<bool, 4> barDrawn = {};
    for (const Column& column : columns) {
        if ((column.id == M || column.id == S) && !s.showMS) {
            continue;
        }
        const int32_t dim = column.colour & kDimMask;
        after[column.id] = {true, Bars[column.id].Level, amberThreshold, column.colour, dim, {}};
        barDrawn[column.id] = true;
    }

    // Held-peak lines on top of the bars, for every bar whether shown or not.
    std::array<std::optional<PixelLine>, 4> lines;
    for (const BarId id : {A, B, S, M}) {
        const std::optional<int32_t> held = UpdatePeakHold(Bars[id], id == S, s.PeakHold);
        if (!held) {
            continue;
        }
        lines[id] = HeldPeakLine(columns[id].x, Baseline, *held);
        if (!barDrawn[id]) {
            // Lines pile up in a column whose bar is not drawn.
            after[id].known = false;
        }
        after[id].lineRow = lines[id]->y;
    }

    // What changed, column by column. Parts outside the client area are the toolkit's to leave out.
    BeginDrawing();
    std::vector<PixelRect>& changed = m_changed;
    changed.clear();
    for (const Column& column : columns) {
        RowSpan rows;
        const ColumnPicture& before = m_columns[column.id];
        if (barDrawn[column.id]) {
            rows = ChangedBarRows(before, after[column.id], barBaseline);
        } else if (after[column.id].lineRow != before.lineRow) {
            rows = RowSpan{}.united(*after[column.id].lineRow);
        }
        if (rows.empty()) {
            continue;
        }
        if (barDrawn[column.id]) {
            DrawBar(after[column.id].level, column.x, column.colour, after[column.id].dimColour,
                    rows);
        }
        const std::optional<PixelLine>& line = lines[column.id];
        if (line && line->y >= rows.first && line->y <= rows.last) {
            DrawLine(line->x0, line->y, line->x1, kHeldPeakColour);
        }
        changed.push_back({column.x, rows.first, kBarWidth, rows.last - rows.first + 1});
    }
    m_columns = after;
    EndDrawing(changed);
}

}  // namespace kestrin
