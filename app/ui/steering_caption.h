// Some button captions steer the program: the record button's "停止" means a recording runs, the
// mode button's "采集" and "区域" pick a window or a region. The button keeps that Chinese
// caption as its state and shows it in the interface's language, so the logic works the same in
// every language.
#pragma once

#include <QAbstractButton>
#include <QString>

namespace app {

void SetSteeringCaption(QAbstractButton* button, const QString& caption);
// The caption last set, or the shown text for a button never given one.
QString SteeringCaption(const QAbstractButton* button);

}  // namespace app
