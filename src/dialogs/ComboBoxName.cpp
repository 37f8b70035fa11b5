#include "dialogs/ComboBoxName.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The box's popup list (and edit field) as children and its open/close action, like Qt's
// own combo box interface; only the name differs.
class LabelledComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit LabelledComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return box()->currentText();
    const QString text = QAccessibleWidget::text(kind);  // the name, else the buddy label's text
    return kind == QAccessible::Name && text.isEmpty() ? box()->currentText() : text;
  }

  int childCount() const override { return box()->lineEdit() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(box()->view());
    if (index == 1 && box()->lineEdit()) return QAccessible::queryAccessibleInterface(box()->lineEdit());
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == box()->view()) return 0;
    if (box()->lineEdit() && child->object() == box()->lineEdit()) return 1;
    return -1;
  }

  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (box()->view()->isVisible())
      box()->hidePopup();
    else
      box()->showPopup();
  }

  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* LabelledComboBoxFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QComboBox")) return nullptr;
  return new LabelledComboBoxAccessible(static_cast<QComboBox*>(object));
}

}  // namespace

// The interface is chosen when a box is first asked for one, which Qt does while building
// it; so the factory goes in before the box is made.
QComboBox* NewLabelledComboBox(QWidget* parent, const QString& label, bool editable) {
  static const bool installed = [] {
    QAccessible::installFactory(LabelledComboBoxFactory);
    return true;
  }();
  (void)installed;
  auto* box = new QComboBox(parent);
  box->setEditable(editable);
  box->setAccessibleName(label.trimmed());
  if (editable) box->lineEdit()->setAccessibleName(label.trimmed());
  return box;
}
