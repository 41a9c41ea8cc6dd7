#include "reports/TfrmBaseStat.h"

#include "app/MessageService.h"
#include "db/Error.h"
#include "db/TfrmDM.h"
#include "reports/RadioGroup.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPushButton>
#include <QValueAxis>
#include <QVBoxLayout>

TfrmBaseStat::TfrmBaseStat(int chartKind, const QString& chartTitle, QWidget* parent)
    : TfrmBase(parent), ChartKind(chartKind), ChartTitle(chartTitle) {
    setWindowTitle(QStringLiteral("统计基类"));
    StatData.resize(size_t(SeriesCount));
    auto* layout = new QVBoxLayout(pnBaseHint());
    auto* chart = new QChart;
    chart->setTitle(ChartTitle);
    chart->setBackgroundBrush(Qt::white);
    chart->legend()->setVisible(false);
    m_chtStatDisp = new QChartView(chart, pnBaseHint());
    m_chtStatDisp->setObjectName(QStringLiteral("chtStatDisp"));
    m_chtStatDisp->setRenderHint(QPainter::Antialiasing);
    // Nothing on the chart answers keys: the keyboard starts on the first condition.
    m_chtStatDisp->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_chtStatDisp, 1);

    m_inputs = new QHBoxLayout;
    layout->addLayout(m_inputs);
    auto* bottom = new QHBoxLayout;
    m_rgStatType = new RadioGroup(QStringLiteral("rgStatType"), QStringLiteral("统计类型"),
                                  {QStringLiteral("数  量"), QStringLiteral("销售额"), QStringLiteral("利  润")}, 0, pnBaseHint());
    bottom->addWidget(m_rgStatType);
    bottom->addStretch(1);
    auto* bitYes = new QPushButton(QStringLiteral("确定"), pnBaseHint());
    bitYes->setObjectName(QStringLiteral("bitYes"));
    bitYes->setAutoDefault(false);
    auto* bitClose = new QPushButton(QStringLiteral("退出"), pnBaseHint());
    bitClose->setObjectName(QStringLiteral("bitClose"));
    bitClose->setAutoDefault(false);
    bottom->addWidget(bitYes);
    bottom->addWidget(bitClose);
    layout->addLayout(bottom);
    connect(bitYes, &QPushButton::clicked, this, &TfrmBaseStat::bitYesClick);
    connect(bitClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 560);
}

QChart* TfrmBaseStat::chart() const { return m_chtStatDisp->chart(); }

void TfrmBaseStat::bitYesClick() {
    try {
        if (!runOperation()) {
            messages().info(QStringLiteral("信息提示"), QStringLiteral("没有该时间段信息！"));
            return;
        }
    } catch (const db::Error& e) {
        messages().error(QStringLiteral("错误"), e.message());
        return;
    }
    const auto& list = frmDM().TopList;
    const int first = firstDrawn(int(list.size()));
    for (TArrayStatData& series : StatData) {
        series.assign(kPointsDrawn, TStatData{});
        for (int i = 0; i < kPointsDrawn; ++i) {
            const int at = first + i;
            if (at >= int(list.size())) continue;
            const db::TCostSell& e = list[size_t(at)];
            series[size_t(i)].caption = e.name;
            switch (m_rgStatType->itemIndex()) {
            case 1: series[size_t(i)].value = e.money.toDouble(); break;
            case 2: series[size_t(i)].value = e.profit.toDouble(); break;
            default: series[size_t(i)].value = double(e.count); break;
            }
        }
    }
    draw();
}

void TfrmBaseStat::draw() {
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    auto* x = new QBarCategoryAxis;
    auto* y = new QValueAxis;
    double top = 0;
    QStringList categories;
    for (size_t i = 0; i < StatData.front().size(); ++i) {
        // Empty positions still take their place on the axis, which wants distinct names.
        QString caption = StatData.front()[i].caption;
        if (caption.isEmpty()) caption = QString(int(i) + 1, u' ');
        categories << caption;
    }
    x->append(categories);
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    for (const TArrayStatData& data : StatData) {
        for (const TStatData& p : data) top = std::max(top, p.value);
        if (ChartKind == Bars) {
            auto* series = new QBarSeries;
            auto* set = new QBarSet(ChartTitle);
            for (const TStatData& p : data) *set << p.value;
            series->append(set);
            series->setLabelsVisible(true);
            c->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
        } else {
            auto* series = new QLineSeries;
            series->setPointsVisible(true);
            series->setPointLabelsVisible(true);
            series->setPointLabelsFormat(QStringLiteral("@yPoint"));
            for (size_t i = 0; i < data.size(); ++i) series->append(double(i), data[i].value);
            c->addSeries(series);
            series->attachAxis(x);
            series->attachAxis(y);
        }
    }
    double low = 0;
    for (const TArrayStatData& data : StatData)
        for (const TStatData& p : data) low = std::min(low, p.value);
    y->setRange(low, top > low ? top * 1.15 : low + 1);
    y->applyNiceNumbers();
}
