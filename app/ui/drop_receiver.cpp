#include "app/ui/drop_receiver.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFutureWatcher>
#include <QMimeData>
#include <QPromise>
#include <QThreadPool>
#include <QUrl>

#include <memory>

#include "app/core/effects.h"
#include "app/core/watermark.h"
#include "app/core/watermark_intake.h"

namespace app {

namespace {

bool CarriesLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

}  // namespace

DropReceiver::~DropReceiver() {
    Uninstall();
}

void DropReceiver::Install(QWidget* window, DropCallback callback) {
    if (installed_ || !window) return;
    window_ = window;
    callback_ = std::move(callback);
    previousAcceptDrops_ = window->acceptDrops();
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    installed_ = true;
}

void DropReceiver::Uninstall() {
    if (!installed_) return;
    if (window_) {
        window_->removeEventFilter(this);
        window_->setAcceptDrops(previousAcceptDrops_);
    }
    window_ = nullptr;
    callback_ = nullptr;
    installed_ = false;
}

QString DropReceiver::FileListOf(const QDropEvent& drop) {
    QStringList paths;
    if (const QMimeData* data = drop.mimeData(); data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) paths << url.toLocalFile();
        }
    }
    return paths.join(QStringLiteral("\r\n"));
}

bool DropReceiver::HandleMessage(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!CarriesLocalFiles(drag->mimeData())) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!CarriesLocalFiles(drop->mimeData())) return false;
            drop->acceptProposedAction();
            // The list is copied: the callback may outlive the drag's data.
            QString list = FileListOf(*drop);
            DropCallback callback = callback_;  // the callback may uninstall the receiver
            if (callback) callback(list);
            return true;
        }
        default:
            return false;
    }
}

bool DropReceiver::eventFilter(QObject* watched, QEvent* event) {
    if (installed_ && watched == window_ && HandleMessage(watched, event)) return true;
    return QObject::eventFilter(watched, event);
}

namespace {

// One worker per owner, so that drops are taken in order; the owner's end waits for it.
QThreadPool* IntakeWorker(QObject* owner) {
    static const char* const kName = "watermark-intake";
    auto* pool = owner->findChild<QThreadPool*>(kName, Qt::FindDirectChildrenOnly);
    if (!pool) {
        pool = new QThreadPool(owner);
        pool->setObjectName(kName);
        pool->setMaxThreadCount(1);
    }
    return pool;
}

void Deliver(const WatermarkIntake& intake, const WatermarkTarget& target) {
    if (intake.verdict == WatermarkVerdict::Accepted && target.setWatermark) {
        QByteArray bmp(reinterpret_cast<const char*>(intake.picture.data()),
                       static_cast<qsizetype>(intake.picture.size()));
        target.setWatermark(bmp, intake.width, intake.height);
    }
    if (target.setStatus) {
        target.setStatus(QString::fromStdString(WatermarkIntakeMessage(intake.verdict)));
    }
}

}  // namespace

void OnFilesDropped(const QString& fileList, const WatermarkTarget& target, QObject* owner) {
    auto promise = std::make_shared<QPromise<WatermarkIntake>>();
    auto* watcher = new QFutureWatcher<WatermarkIntake>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, target] {
        if (watcher->future().resultCount() > 0) Deliver(watcher->result(), target);
        watcher->deleteLater();
    });
    watcher->setFuture(promise->future());
    IntakeWorker(owner)->start([promise, path = QFile::encodeName(fileList).toStdString()] {
        // A picture can serve as the watermark when it stamps onto the built-in one.
        WatermarkTrial trial = [](const std::vector<uint8_t>& mark) {
            return !StampWatermark(BuiltinWatermark(), mark).empty();
        };
        promise->start();
        promise->addResult(LoadWatermarkFromFile(path, trial));
        promise->finish();
    });
}

}  // namespace app
