#include "autocal/calibration_command.h"

#include "table/grid_form.h"

namespace orv::autocal {

namespace {

// The corner values and axis modes, which the history's snapshot leaves to
// the user's typing, before and after the calibration.
struct ValueState {
    std::array<QString, CalibPanel::ValBoxCount> val;
    bool xLog = false, yLog = false;
    static ValueState of(const CalibPanel &p)
    {
        ValueState s;
        for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
            s.val[size_t(b)] = p.val(CalibPanel::ValBox(b));
        s.xLog = p.xLog();
        s.yLog = p.yLog();
        return s;
    }
    void writeTo(CalibPanel &p) const
    {
        for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
            p.setVal(CalibPanel::ValBox(b), val[size_t(b)]);
        p.setXLog(xLog);
        p.setYLog(yLog);
    }
};

class ValuesChange : public History::Extra {
public:
    ValuesChange(ValueState before, ValueState after) : m_before(std::move(before)), m_after(std::move(after)) {}
    void apply(Reading &r, bool redo) const override { (redo ? m_after : m_before).writeTo(r.panel); }

private:
    ValueState m_before, m_after;
};

} // namespace

void applyCalibration(Reading &r, const Calibration &c, const ApplyOptions &options)
{
    if (!c.frameFound)
        return;
    const ValueState before = ValueState::of(r.panel);
    {
        History::Step step(r.history(), History::AutoCalibrate);
        applyToPanel(c, r.panel, options.selectTab);
        // The corner markers stand where the boxes say.
        const bool four = !r.panel.isDiagonal();
        for (int i = 0; i < 4; ++i) {
            Marker m;
            m.left = float(readPrefix(r.panel.pos(CalibPanel::xBox(Corner(i))))) - r.graph.markerWidth / 2;
            m.top = float(readPrefix(r.panel.pos(CalibPanel::yBox(Corner(i))))) + r.graph.markerHeight / 2;
            m.visible = four || i == LL || i == RU;
            r.graph.setDfnt(i, m);
        }
        r.setDfntDone(true);
        step.attach(std::make_shared<ValuesChange>(before, ValueState::of(r.panel)));
        if (options.reread)
            for (int s = 1; s <= Reading::kSeriesCount; ++s)
                if (!r.grid(s).isEmpty())
                    Grid_Form(r, s).reread();
    }
    if (r.graph.loaded())
        r.Draw_Frame();
}

} // namespace orv::autocal
