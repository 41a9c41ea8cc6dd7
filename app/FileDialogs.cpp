#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace {

class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir()) return QFileIconProvider::icon(Folder);
        const QIcon themed = QIcon::fromTheme(mimeOf(info).iconName());
        return themed.isNull() ? QFileIconProvider::icon(File) : themed;
    }
    QString type(const QFileInfo& info) const override {
        return info.isDir() ? QStringLiteral("文件夹") : mimeOf(info).comment();
    }

private:
    static QMimeType mimeOf(const QFileInfo& info) {
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    }
};

}  // namespace

void listFilesByNameOnly(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* provider = new NameOnlyIconProvider;
    dialog.setIconProvider(provider);
    // The dialog does not own its icon provider.
    QObject::connect(&dialog, &QObject::destroyed, [provider] { delete provider; });
}
