#include "masterdata/TfrmProductInput.h"

#include "app/ControlEvents.h"
#include "app/ErrorHandler.h"
#include "app/FileDialogs.h"
#include "app/MessageService.h"
#include "app/ModalRunner.h"
#include "db/Error.h"
#include "db/ProductHistory.h"
#include "db/Session.h"
#include "db/TfrmBaseDataModule.h"
#include "masterdata/ProductCodeGenerator.h"
#include "masterdata/ProductImport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Documents carry 15 characters of a product code; so does the last-date lookup.
constexpr int DocumentCodeLength = 15;
// A refusal report longer than this is cut in the message box (the rest is counted).
constexpr int ShownRefusals = 20;
}  // namespace

TfrmProductInput::TfrmProductInput(QWidget* parent) : TfrmBaseInput(ReferenceTables::products(), parent) {
    setObjectName(QStringLiteral("TfrmProductInput"));
    setWindowTitle(QStringLiteral("商品目录维护"));

    m_cbAutoSPNO = new QCheckBox(QStringLiteral("自动生成商品编码"), this);
    m_cbAutoSPNO->setObjectName(QStringLiteral("cbAutoSPNO"));
    m_cbAutoSPNO->setToolTip(QStringLiteral("自动生成编号长度为8位，其中后3位由系统自动生成"));
    addBesideField(QStringLiteral("SPNO"), m_cbAutoSPNO);
    connect(m_cbAutoSPNO, &QCheckBox::clicked, this, &TfrmProductInput::cbAutoSPNOClick);

    m_pnLastDate = new QLabel(this);
    m_pnLastDate->setObjectName(QStringLiteral("pnLastDate"));
    m_pnLastDate->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pnLastDate->setMinimumWidth(m_pnLastDate->fontMetrics().averageCharWidth() * 22);
    m_pnLastDate->setMinimumHeight(m_pnLastDate->fontMetrics().height() + 8);
    editPanel()->addRow(QStringLiteral("最后发生业务日期"), m_pnLastDate);

    m_edFindProductNo = new QLineEdit(this);
    m_edFindProductNo->setObjectName(QStringLiteral("edFindProductNo"));
    m_edFindProductNo->setPlaceholderText(QStringLiteral("商品编码"));
    m_edFindProductNo->setFixedWidth(m_edFindProductNo->fontMetrics().averageCharWidth() * 18 + 12);
    m_bitFind = new QPushButton(QStringLiteral("查找"), this);
    m_bitFind->setObjectName(QStringLiteral("bitFind"));
    m_bitFind->setAutoDefault(false);
    m_bitImport = new QPushButton(QStringLiteral("导入..."), this);
    m_bitImport->setObjectName(QStringLiteral("bitImport"));
    m_bitImport->setToolTip(QStringLiteral("从CSV文件导入商品（UTF-8或GBK，第一行为列名）"));
    m_bitImport->setAutoDefault(false);
    navigatorBar()->addSpacing(12);
    navigatorBar()->addWidget(m_edFindProductNo);
    navigatorBar()->addWidget(m_bitFind);
    navigatorBar()->addSpacing(12);
    navigatorBar()->addWidget(m_bitImport);
    connect(m_bitFind, &QPushButton::clicked, this, &TfrmProductInput::bitFindClick);
    connect(m_bitImport, &QPushButton::clicked, this, &TfrmProductInput::bitImportClick);
    onFocusLeave(m_edFindProductNo, [this] {
        if (!m_edFindProductNo->text().isEmpty()) bitFindClick();
    });
    onEnterKey(fieldControl(QStringLiteral("SPNO")), [this] {
        if (m_cbAutoSPNO->isChecked() && state() != DataState::Browse) generateCode();
    });

    // Fields top to bottom, then the search, and the generator's switch last.
    QWidget* previous = nullptr;
    for (const Column& c : definition().columns) {
        QWidget* control = fieldControl(c.name);
        if (previous) setTabOrder(previous, control);
        previous = control;
    }
    setTabOrder(previous, m_edFindProductNo);
    setTabOrder(m_edFindProductNo, m_bitFind);
    setTabOrder(m_bitFind, m_cbAutoSPNO);

    openLookups();
    resize(900, 560);
    stateChanged();
}

void TfrmProductInput::openLookups() {
    try {
        for (const char* column : {"SPDW", "SPLB", "BMNO", "QSGYS"}) loadLookup(QString::fromLatin1(column));
    } catch (const db::Error&) {
        // The screen still opens: products can be browsed, and the lists opened so far work.
        messages().info(QStringLiteral("信息提示"), QStringLiteral("商品基本表忙，请稍后再试！"));
    }
}

void TfrmProductInput::stateChanged() {
    if (!m_bitFind) return;
    const bool browsing = state() == DataState::Browse;
    m_edFindProductNo->setEnabled(browsing);
    m_bitFind->setEnabled(browsing);
    m_bitImport->setEnabled(browsing);
}

void TfrmProductInput::bitFindClick() {
    if (state() != DataState::Browse) return;
    const QString text = m_edFindProductNo->text();
    try {
        m_pnLastDate->setText(db::ProductHistory(frmBaseDataModule().Database()).lastDate(text.left(DocumentCodeLength)));
    } catch (const db::Error&) {
        reportUnhandled(std::current_exception());
        return;
    }
    if (Locate(text)) return;
    messages().info(QStringLiteral("信息提示"), QStringLiteral("没有该商品信息，请重新录入！"));
    m_edFindProductNo->setFocus();
    m_edFindProductNo->selectAll();
}

void TfrmProductInput::cbAutoSPNOClick() { generateCode(); }

void TfrmProductInput::generateCode() {
    const QString prefix = fieldText(QStringLiteral("SPNO"));
    if (prefix.size() != ProductCodeGenerator::PrefixLength) {
        messages().info(QStringLiteral("信息提示"),
                        QStringLiteral("自动生成商品编码长度为8位，其中前5位人工输入，后3为自动生成，请检查重新录入！"));
        return;
    }
    if (state() == DataState::Browse) return;
    try {
        const auto result = ProductCodeGenerator(frmBaseDataModule().Database()).next(prefix);
        if (result.outcome == ProductCodeGenerator::Outcome::Exhausted) {
            messages().info(QStringLiteral("信息提示"),
                            QStringLiteral("以“%1”开头的商品编码已用到999，请换一个前5位！").arg(prefix));
            return;
        }
        setFieldText(QStringLiteral("SPNO"), result.code);
    } catch (const db::Error&) {
        reportUnhandled(std::current_exception());
    }
}

void TfrmProductInput::bitImportClick() {
    if (state() != DataState::Browse) return;
    QFileDialog dialog(this, QStringLiteral("导入商品"), QString(), QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    dialog.setObjectName(QStringLiteral("dlgImportProducts"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    listFilesByNameOnly(dialog);
    if (modalRunner().run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    importProducts(dialog.selectedFiles().front());
}

void TfrmProductInput::importProducts(const QString& path) {
    const ImportReport report = ProductImport(frmBaseDataModule().Database(), session().OperatorNo).importFile(path);
    if (report.ok()) {
        Reload(currentKey());
        messages().info(QStringLiteral("信息提示"), report.text());
        return;
    }
    QStringList lines = report.text().split(QLatin1Char('\n'));
    const qsizetype total = lines.size();
    if (total > ShownRefusals) {
        lines = lines.mid(0, ShownRefusals);
        lines << QStringLiteral("……共 %1 处问题").arg(total);
    }
    messages().error(QStringLiteral("错误"), QStringLiteral("没有导入任何商品，请改正以下问题后重新导入：\n") + lines.join(QLatin1Char('\n')));
}
