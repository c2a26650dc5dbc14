#include "app/ui/steering_caption.h"

#include <QCoreApplication>
#include <QVariant>

namespace app {
namespace {

constexpr const char* kProperty = "steeringCaption";

// For the translation tools: the captions arrive as data, so they are listed here.
[[maybe_unused]] constexpr const char* kCaptions[] = {
    QT_TRANSLATE_NOOP("Captions", "录制"), QT_TRANSLATE_NOOP("Captions", "停止"),
    QT_TRANSLATE_NOOP("Captions", "采集"), QT_TRANSLATE_NOOP("Captions", "区域")};

}  // namespace

void SetSteeringCaption(QAbstractButton* button, const QString& caption) {
    button->setProperty(kProperty, caption);
    button->setText(QCoreApplication::translate("Captions", caption.toUtf8().constData()));
}

QString SteeringCaption(const QAbstractButton* button) {
    const QVariant caption = button->property(kProperty);
    return caption.isValid() ? caption.toString() : button->text();
}

}  // namespace app
