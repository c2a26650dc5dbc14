// The main window's one-line status field. A text too long for it is shown cut at its end with
// an ellipsis, so the beginning (what happened) stays readable; the whole text is the tooltip.
// text() is always the whole text.
#pragma once

#include <QLineEdit>

namespace app {

class StatusLine : public QLineEdit {
    Q_OBJECT
  public:
    explicit StatusLine(QWidget* parent = nullptr);

    // What the field shows: text(), or its beginning and an ellipsis.
    QString ShownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QRect TextRect() const;
    void UpdateToolTip();
};

}  // namespace app
