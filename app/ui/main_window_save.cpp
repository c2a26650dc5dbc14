// The main window's part in saving: the save's thread, its texts on the status line and the
// tools menu's resave entry.
#include <QStringList>

#include "app/ui/main_window.h"

namespace app {

void MainWindow::PostToUiThread(std::function<void()> task) {
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void MainWindow::RunInBackground(std::function<void()> job, std::function<void()> done) {
    if (background_.joinable()) background_.join();  // ended: its end has run
    background_ = std::thread([this, job = std::move(job), done = std::move(done)] {
        job();
        PostToUiThread([this, done] { OnBackgroundDone(done); });
    });
}

void MainWindow::OnBackgroundDone(const std::function<void()>& done) {
    if (background_.joinable()) background_.join();
    done();
    if (closeAfterSave_) {
        closeAfterSave_ = false;
        close();
    }
}

void MainWindow::ShowSaveProgress(int percent) {
    statusLine_->setText(tr("正在保存… %1%").arg(percent));
}

void MainWindow::ShowSaveFailed(const std::string& error) {
    const QString reason = error.empty() ? tr("未知错误") : QString::fromStdString(error);
    statusLine_->setText(
        tr("保存失败：%1。录制仍在，可用“工具”菜单的“重新保存”再次保存").arg(reason));
}

void MainWindow::ShowStoppedAndSaved(const std::string& reason, const std::string& fileName) {
    const QString why = reason.empty() ? tr("未知错误") : QString::fromStdString(reason);
    statusLine_->setText(
        tr("录制已自动停止：%1。已保存 %2").arg(why, QString::fromStdString(fileName)));
}

void MainWindow::ShowRecovered(const std::vector<std::string>& fileNames,
                               const std::vector<std::string>& failures) {
    QStringList parts;
    if (!fileNames.empty()) {
        QStringList names;
        for (const std::string& name : fileNames) names << QString::fromStdString(name);
        parts << tr("已恢复上次未保存的录制：%1").arg(names.join(QStringLiteral("、")));
    }
    if (!failures.empty()) {
        parts << tr("%n 个未保存的录制无法恢复：%1", "", int(failures.size()))
                     .arg(QString::fromStdString(failures.front()));
    }
    statusLine_->setText(parts.join(QStringLiteral("；")));
}

void MainWindow::SetResaveAvailable(bool available) {
    if (resaveAction_) resaveAction_->setEnabled(available);
}

}  // namespace app
