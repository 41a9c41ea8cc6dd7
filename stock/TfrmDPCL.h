// 调拨处理: goods moved from one store to another. A transfer has no number of its own: its
// movement number names it, and the screen keeps the one it saved last for the preview.
#pragma once

#include "stock/TfrmBaseOtherInput.h"

class TfrmDPCL : public TfrmBaseOtherInput {
    Q_OBJECT
public:
    explicit TfrmDPCL(QWidget* parent = nullptr);

    void bitNextClick() override;
    void bitDeleteClick() override;
    void bitSaveClick() override;
    const QString& transferNo() const { return m_transferNo; }

protected:
    QString reportName() const override { return QStringLiteral("TfrmRepdbcl"); }
    QString previewNumber() const override { return m_transferNo; }
    void edProductNoKeyDown() override;
    void edCountExit() override;

private:
    void FormCreate();
    // What the out-store can still give of the product: its quantity less the lines
    // already taking it from there.
    double outCount(const QString& code, const QString& outStore);

    LookupComboBox* m_lcbStore;
    LookupComboBox* m_lcbOutStore;
    QLineEdit* m_edOutCount;
    QString m_transferNo;
};
