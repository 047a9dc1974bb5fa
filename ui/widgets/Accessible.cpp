#include "ui/widgets/Accessible.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

constexpr char RoleProperty[] = "accessibleRole";
constexpr char ValueProperty[] = "accessibleValue";

QAccessible::Role roleOf(const QObject* object) {
    const QVariant role = object->property(RoleProperty);
    return role.isValid() ? static_cast<QAccessible::Role>(role.toInt()) : QAccessible::NoRole;
}

// A picture that acts on a click: assistive technology presses it as it would press a button.
class PictureControl : public QAccessibleWidget {
public:
    PictureControl(QWidget* control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override {
        // A disabled control takes no press from assistive technology either, just as it takes no mouse or key:
        // the start button is off during a run so that the engine is never entered twice.
        if (action == pressAction()) {
            if (widget()->isEnabled())
                QMetaObject::invokeMethod(widget(), "clicked");
        } else {
            QAccessibleWidget::doAction(action);
        }
    }
};

// A drawn progress display: read-only, 0 to 100 per cent.
class ProgressDisplay : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressDisplay(QWidget* control) : QAccessibleWidget(control, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value)
            return QString::number(Accessible::value(widget())) + QLatin1Char('%');
        return QAccessibleWidget::text(type);
    }

    QVariant currentValue() const override { return Accessible::value(widget()); }
    void setCurrentValue(const QVariant&) override {} // only the work in progress moves it
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

// Qt asks once per class of the object's ancestry, most derived first; only that first question is ours.
QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* control = static_cast<QWidget*>(object);
    switch (const QAccessible::Role role = roleOf(object)) {
    case QAccessible::NoRole:
        return nullptr;
    case QAccessible::ProgressBar:
        return new ProgressDisplay(control);
    default:
        return new PictureControl(control, role);
    }
}

} // namespace

namespace Accessible {

void describe(QWidget* control, const QString& name, const QString& description, QAccessible::Role role) {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
    // The role first: naming the control makes Qt build (and keep) its interface. Setting a label's text
    // already did so when it was made; an interface built before the role was known is dropped, so the next
    // question gets the role.
    if (role != QAccessible::NoRole) {
        control->setProperty(RoleProperty, static_cast<int>(role));
        QAccessibleInterface* built = QAccessible::queryAccessibleInterface(control);
        if (built && built->role() != role)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(built));
    }
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void setValue(QWidget* control, int newValue) {
    control->setProperty(ValueProperty, newValue);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(control, newValue);
        QAccessible::updateAccessibility(&event);
    }
}

int value(const QWidget* control) {
    return control->property(ValueProperty).toInt();
}

} // namespace Accessible
