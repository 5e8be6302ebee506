// The Qt widgets that the dialog templates are built from, each behaving as
// the framework's control of that kind: what it sends to the dialog's message
// table and what it takes from the user.
#pragma once

#include "platform/qt/Window.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QAbstractTableModel>
#include <QTreeView>
#include <QValidator>

#include <memory>

namespace mrv::platform::qt {

// Sends a control's notification (a click, a change) to the dialog's table.
void SendCommand(const std::shared_ptr<DialogWindow>& window, int code, int id);

// Input filter of an edit: refuses characters that CP949 cannot hold and input
// beyond the byte limit. Only what the user adds is checked, so a longer text
// set by the program stays, and deleting from it is always possible. A pasted
// text is cut before its first character that CP949 lacks or that goes past
// the limit, with a beep.
class Cp949Validator : public QValidator {
public:
    explicit Cp949Validator(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;

    int limitBytes = 0;   // 0: no limit
    QString previous;     // the text before the change being checked
    bool bypass = false;  // set while the program sets the text
};

class EditControl : public QLineEdit {
public:
    EditControl(std::shared_ptr<DialogWindow> window, int id, QWidget* parent);
    // The program's text: neither filtered nor limited.
    void SetProgramText(const QString& text);
    void SetLimitBytes(int bytes) { m_validator->limitBytes = bytes; }
    int LimitBytes() const { return m_validator->limitBytes; }

private:
    Cp949Validator* m_validator;
};

// A push button; a raised one gets an extra outer bevel, a multi-line one
// wraps its caption (inside words too when a word is wider than the button).
class PushButton : public QPushButton {
public:
    PushButton(const QString& caption, bool raised, bool multiline, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_raised;
    bool m_multiline;
};

// An automatic radio button of one group: a click checks it and clears the
// other buttons of its group only. Qt's own exclusivity would join every
// radio button of the dialog, and could not clear a whole group.
class RadioButton : public QRadioButton {
public:
    RadioButton(const QString& caption, int group, QWidget* parent);
    int Group() const { return m_group; }

protected:
    void nextCheckState() override;
    // The whole control takes the click, not only the circle and the caption.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    int m_group;
};

// An automatic check box that, like the platform's, toggles on a click
// anywhere in its rectangle, also right of a short caption.
class CheckBox : public QCheckBox {
public:
    CheckBox(const QString& caption, QWidget* parent);

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// The rows and columns of a report list: texts held as CP949, as the program
// set them, or asked of a ListRowSource (owner-data mode).
class ListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int InsertColumn(int column, const std::string& heading);
    int InsertRow(int row, const std::string& text);
    bool SetText(int row, int column, const std::string& text);
    std::string Text(int row, int column) const;
    bool RemoveRow(int row);
    void Clear();
    void SetVirtual(const ListRowSource* source, int count);
    bool IsVirtual() const { return m_source != nullptr; }

private:
    std::vector<std::string> m_headings;
    std::vector<std::vector<std::string>> m_rows;   // ordinary rows, one text per column
    const ListRowSource* m_source = nullptr;        // owner-data mode
    int m_virtualRows = 0;
};

// Report-style list view. Owner-drawn rows are painted by the list object's
// WindowMsg::DrawItem handler; clicks select the row first, then notify the dialog.
class ListView : public QTreeView {
public:
    ListView(std::shared_ptr<DialogWindow> window, int id, std::uint32_t style, QWidget* parent);
    ListModel& Model() { return m_model; }
    const ListModel& Model() const { return m_model; }
    // Where the viewport's origin lies in the list's client area (inside the
    // border, header included): rows start below the header.
    QPoint ViewportOffset() const;
    // A row across all columns, in viewport coordinates (empty for no row).
    QRect RowRect(int row) const;
    QRect CellRect(int row, int column) const;

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Notify(int code);

    ListModel m_model;
    std::shared_ptr<DialogWindow> m_window;
    int m_id;
    bool m_ownerDraw;
    bool m_afterDoubleClick = false;
};

// The dialog window. Keys, the close box and presses on the dialog itself go
// to the message table; QDialog's own accept/reject never end it behind the
// table's back.
class DialogWidget : public QDialog {
public:
    DialogWidget(std::shared_ptr<DialogWindow> window, QWidget* parent, Qt::WindowFlags flags);
    const std::shared_ptr<DialogWindow>& Window() const { return m_window; }

    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Mouse(Msg msg, QMouseEvent* event);
    std::vector<DialogWindow*> OwnedModeless() const;
    void RaiseOwned();

    std::shared_ptr<DialogWindow> m_window;
};

// Creates the widget of one template control as a child of the dialog widget.
QWidget* CreateControl(const std::shared_ptr<DialogWindow>& window, const ControlTemplate& control,
                       int groupStart, QWidget* dialog);

} // namespace mrv::platform::qt
