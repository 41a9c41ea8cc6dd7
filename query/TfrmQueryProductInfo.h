// 商品信息查询: the product list query, and the product search of the sale and stock screens.
//
// Product search from another screen:
//
//     const QString spno = TfrmQueryProductInfo::pickProduct(this);            // sale screens: cost hidden
//     const QString spno = TfrmQueryProductInfo::pickProduct(this, QString()); // stock screens: cost shown
//     if (!spno.isEmpty()) edProductNo->setText(spno);
//
// pickProduct opens the screen modally (through modalRunner()); the operator queries, then
// chooses a row by double-click, by Enter on the grid or with "&O选定"; 退出 or Esc choose
// nothing. It returns the chosen product code (SPNO), or an empty text.
//
// ShowMode "View" (what the sale screens use) hides the 成本价格 column once a query has run,
// for the rest of the screen's life. Opened from the main menu, ShowMode is empty and a
// double-click does nothing.
#pragma once

#include "query/TfrmBaseQuery.h"

class TfrmQueryProductInfo : public TfrmBaseQuery {
    Q_OBJECT
public:
    explicit TfrmQueryProductInfo(QWidget* parent = nullptr);

    static QString pickProduct(QWidget* parent, const QString& showMode = QStringLiteral("View"));

    QString ShowMode;

    void bitSelectClick() override;

    // Lets the operator choose a row (double-click, Enter on the grid, "&O选定").
    void enablePicking();
    // The product code of the row chosen, empty when none was.
    const QString& chosenProductNo() const { return m_chosen; }

    static constexpr int kCostColumn = 9;  // 成本价格 CBJG

protected:
    void enterPressed(QWidget* from) override;

private:
    void chooseCurrentRow();

    bool m_picking = false;
    QString m_chosen;
};
