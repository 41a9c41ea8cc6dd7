// The base of every interactive screen: caption, the content panel pnBaseHint above the
// status bar sbHintInfo with four panels, Enter moving to the next control (without
// consuming the key), and the shop values re-read from SysSet.ini on creation.
#pragma once

#include <QDialog>
#include <QList>

class QFrame;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QStatusBar;
class QVBoxLayout;

class TfrmBase : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBase(QWidget* parent = nullptr, const QList<int>& panelWidths = {150, 180, 150, 50});
    ~TfrmBase() override;

    // The client area that derived screens fill.
    QFrame* pnBaseHint() const { return m_pnBaseHint; }
    QStatusBar* sbHintInfo() const { return m_sbHintInfo; }
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

    // A row with the screen's confirm and leave buttons centred side by side.
    static QHBoxLayout* centredButtonRow(QWidget* confirm, QWidget* leave);

    // Empties every plain single-line edit box of the screen.
    void ClearEdits();

    // Finds a control of this screen by its name (tests and automation).
    template <typename T>
    T* control(const QString& name) const { return findChild<T*>(name); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Enter that a control left unhandled only moved the focus: it must not click the
    // dialog's default button (a push button that has the focus still clicks itself).
    void keyPressEvent(QKeyEvent* event) override;
    // Every screen opens inside the screen's free area, shrunk to it if need be: a till's
    // 1024×768 display, with or without a window manager, must show all of its buttons.
    void showEvent(QShowEvent* event) override;
    // Enter moved the focus on; derived screens may react (their own Enter handlers still
    // receive the key afterwards).
    virtual void enterPressed(QWidget* from) {}

private:
    QFrame* m_pnBaseHint;
    QStatusBar* m_sbHintInfo;
    QList<QLabel*> m_panels;
};
