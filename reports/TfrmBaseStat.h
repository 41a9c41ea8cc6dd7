// The chart screens: one bar or line series of five points drawn from the shared top-ten
// list, by quantity, sales amount or profit. A derived screen supplies its inputs and the
// operation that fills the list.
#pragma once

#include "app/TfrmBase.h"

#include <QString>
#include <vector>

class QChart;
class QChartView;
class QHBoxLayout;
class RadioGroup;

struct TStatData {
    double value = 0;
    QString caption;
};
using TArrayStatData = std::vector<TStatData>;

class TfrmBaseStat : public TfrmBase {
    Q_OBJECT
public:
    enum Kind { Bars = 0, Line = 1 };
    static constexpr int kPointsDrawn = 5;

    TfrmBaseStat(int chartKind, const QString& chartTitle, QWidget* parent = nullptr);

    void bitYesClick();

    int ChartKind;
    QString ChartTitle;
    int SeriesCount = 1;
    std::vector<TArrayStatData> StatData;
    QChart* chart() const;

protected:
    // The row above the statistic type where the screen puts its inputs.
    QHBoxLayout* inputRow() const { return m_inputs; }
    // Runs the screen's operation; false when it found nothing.
    virtual bool runOperation() = 0;
    // The first entry of the list that is drawn: the best sellers draw the first five, the
    // product screens (oldest first) the latest five.
    virtual int firstDrawn(int listSize) const { (void)listSize; return 0; }

private:
    void draw();

    QChartView* m_chtStatDisp;
    RadioGroup* m_rgStatType;
    QHBoxLayout* m_inputs;
};
