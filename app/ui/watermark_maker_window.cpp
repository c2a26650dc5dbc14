#include "app/ui/watermark_maker_window.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QThread>

#include <algorithm>
#include <vector>

#include "app/ui/ui_scale.h"
#include "bitmap/picture_codec.h"

// The strips are compiled into this static library; its resources have to be registered by hand.
static void RegisterMakerResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(maker);
        return true;
    }();
    (void)registered;
}

namespace app {

namespace {

constexpr int kStripCount = 7;
constexpr int kTextCentre = 98;
constexpr int kMaxTextBytes = 30;
constexpr int kFontsPerStep = 40;

QImage Strip(int index) {
    RegisterMakerResources();
    return QImage(QStringLiteral(":/maker/strips/strip%1.png").arg(index + 1));
}

QFont MakerQFont() {
    QFont font(DefaultTextFont().face);
    font.setPointSize(DefaultTextFont().pointSize);
    return font;
}

QIcon Swatch(const QColor& colour) {
    QPixmap swatch(36, 12);
    swatch.fill(colour);
    return QIcon(swatch);
}

std::vector<uint8_t> ToBmp24(const QImage& picture) {
    QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    bitmap::Image24 image;
    image.width = static_cast<uint32_t>(rgb.width());
    image.height = static_cast<uint32_t>(rgb.height());
    image.pixels.assign(image.Stride() * image.height, 0);
    for (uint32_t row = 0; row < image.height; ++row) {
        const uchar* source = rgb.constScanLine(static_cast<int>(image.height - 1 - row));
        uint8_t* target = image.pixels.data() + row * image.Stride();
        for (uint32_t x = 0; x < image.width; ++x) {
            target[3 * x] = source[3 * x + 2];
            target[3 * x + 1] = source[3 * x + 1];
            target[3 * x + 2] = source[3 * x];
        }
    }
    return bitmap::EncodeBmp24(image);
}

}  // namespace

MakerFont& DefaultTextFont() {
    static MakerFont font;
    return font;
}

int GbkByteLength(const QString& text) {
    int bytes = 0;
    for (char32_t c : text.toUcs4()) bytes += c < 0x80 ? 1 : 2;
    return bytes;
}

// ---- preview box ----

WatermarkPreview::WatermarkPreview(QWidget* parent) : QWidget(parent) {
    setFixedSize(Px(kWidth, kHeight));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

WatermarkPreview::Object* WatermarkPreview::Find(int id) {
    auto found = std::find_if(objects_.begin(), objects_.end(),
                              [id](const Object& o) { return o.id == id; });
    return found == objects_.end() ? nullptr : &*found;
}

int WatermarkPreview::CreateObject(int x, int y, double opacity) {
    Object object;
    object.id = nextId_++;
    object.at = QPoint(x, y);
    object.picture = template_;
    object.opacity = opacity;
    objects_.append(object);
    update();
    return object.id;
}

void WatermarkPreview::DeleteObject(int id) {
    objects_.removeIf([id](const Object& o) { return o.id == id; });
    update();
}

void WatermarkPreview::SetObjectText(int id, const QString& text, const QFont& font,
                                     const QColor& colour) {
    if (Object* object = Find(id)) {
        object->picture = QImage();
        object->text = text;
        object->font = font;
        object->colour = colour;
        update();
    }
}

void WatermarkPreview::SetObjectOpacity(int id, double opacity) {
    if (Object* object = Find(id)) {
        object->opacity = opacity;
        update();
    }
}

QPoint WatermarkPreview::ObjectPosition(int id) const {
    for (const Object& object : objects_) {
        if (object.id == id) return object.at;
    }
    return {};
}

void WatermarkPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(double(width()) / kWidth, double(height()) / kHeight);
    Paint(painter);
}

void WatermarkPreview::Paint(QPainter& painter) const {
    // Black under everything: what shows through a see-through object is what a stamped
    // watermark leaves out.
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::black);
    const double dpi = painter.device()->logicalDpiY();
    for (const Object& object : objects_) {
        painter.setOpacity(object.opacity);
        if (!object.text.isNull()) {
            QFont font = object.font;
            if (dpi > 0) font.setPointSizeF(font.pointSizeF() * 96.0 / dpi);
            painter.setFont(font);
            painter.setPen(object.colour);
            painter.drawText(QRect(object.at, QSize(4 * kWidth, 2 * kHeight)),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, object.text);
        } else {
            painter.drawImage(object.at, object.picture);
        }
    }
}

// ---- maker window ----

WatermarkMakerWindow::WatermarkMakerWindow(QWidget* mainWindow) : QWidget(mainWindow, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    ConnectHandlers();
    OnMakerCreated(mainWindow);
}

WatermarkMakerWindow::~WatermarkMakerWindow() {
    fontFeeder_.stop();
    if (fontFiller_) {
        // The filler only reads the font list; it ends on its own, and never after the window.
        fontFiller_->wait();
        delete fontFiller_;
    }
}

void WatermarkMakerWindow::BuildControls() {
    // The client area, as for the main window.
    setFixedSize(Px(kWindowWidth, kWindowHeight));
    auto* group = new QGroupBox(tr("设置"), this);
    group->setGeometry(Px(8, 4, kWindowWidth - 16, kWindowHeight - 12));
    BuildRowCaptions(group);
    BuildPreviewRow(group);
    BuildListRows(group);
    BuildBottomRows(group);
}

void WatermarkMakerWindow::BuildRowCaptions(QGroupBox* group) {
    auto* captions = new QWidget(group);  // 标签1
    captions->setGeometry(Px(8, 16, 56, 152));
    const std::pair<int, QString> rows[] = {{0, tr("文字")},  {34, tr("预览")},  {60, tr("位置")},
                                            {80, tr("背景")}, {104, tr("字体")}, {128, tr("透明")}};
    for (const auto& [top, caption] : rows) {
        auto* label = new QLabel(caption, captions);
        label->setGeometry(Px(0, top, 40, 20));
    }
}

void WatermarkMakerWindow::BuildPreviewRow(QGroupBox* group) {
    text_ = new QLineEdit(group);  // 编辑框1
    text_->setGeometry(Px(64, 16, 196, 20));
    text_->setMaxLength(kMaxTextBytes);
    preview_ = new WatermarkPreview(group);  // 动画框1
    preview_->move(Px(64), Px(42));          // its picture keeps its pixel size
    preview_->SetTemplatePicture(Strip(0));
    vertical_ = new QScrollBar(Qt::Vertical, group);  // 纵向滚动条1
    vertical_->setGeometry(Px(48, 42, 16, 33));
    vertical_->setRange(1, 20);
    vertical_->setValue(10);
    horizontal_ = new QScrollBar(Qt::Horizontal, group);  // 横向滚动条1
    horizontal_->setGeometry(Px(64, 76, 196, 16));
    horizontal_->setRange(1, 196);
    horizontal_->setValue(kTextCentre);
}

void WatermarkMakerWindow::BuildListRows(QGroupBox* group) {
    // The right column is 20 pixels wider than a 48-pixel one, so that a size entry ("默认")
    // fits beside the list's arrow; the lists give up those 20 pixels.
    backgrounds_ = new QComboBox(group);  // 组合框1
    backgrounds_->setGeometry(Px(64, 96, 124, 20));
    colourButton_ = new QPushButton(group);  // 颜色选择器1
    colourButton_->setGeometry(Px(194, 96, 68, 20));
    colourButton_->setIcon(Swatch(colour_));
    colourButton_->setIconSize(QSize(36, 12));
    fonts_ = new QComboBox(group);  // 组合框2
    fonts_->setGeometry(Px(64, 120, 124, 20));
    sizes_ = new QComboBox(group);  // 组合框3
    sizes_->setGeometry(Px(194, 120, 68, 20));
}

void WatermarkMakerWindow::BuildBottomRows(QGroupBox* group) {
    transparency_ = new QSlider(Qt::Horizontal, group);  // 滑块条1
    transparency_->setGeometry(Px(56, 144, 208, 20));
    transparency_->setRange(1, 10);
    transparency_->setValue(10);
    generate_ = new QPushButton(group);  // 超级按钮1
    generate_->setGeometry(Px(64, 168, 196, 24));
}

void WatermarkMakerWindow::ConnectHandlers() {
    connect(text_, &QLineEdit::textChanged, this, &WatermarkMakerWindow::OnMakerTextChanged);
    connect(vertical_, &QScrollBar::valueChanged, this,
            &WatermarkMakerWindow::OnMakerVerticalScroll);
    connect(horizontal_, &QScrollBar::valueChanged, this,
            &WatermarkMakerWindow::OnMakerHorizontalScroll);
    connect(fonts_, &QComboBox::activated, this, &WatermarkMakerWindow::OnMakerFontChosen);
    connect(sizes_, &QComboBox::activated, this, &WatermarkMakerWindow::OnMakerSizeChosen);
    connect(backgrounds_, &QComboBox::activated, this,
            &WatermarkMakerWindow::OnMakerBackgroundChosen);
    connect(transparency_, &QSlider::valueChanged, this,
            &WatermarkMakerWindow::OnMakerTransparencyChanged);
    connect(colourButton_, &QPushButton::clicked, this, [this] {
        QColor chosen = QColorDialog::getColor(colour_, this, tr("文字颜色"));
        if (chosen.isValid()) OnMakerColourChosen(chosen);
    });
    connect(generate_, &QPushButton::clicked, this, [this] {
        QByteArray bmp = GenerateWatermark();
        if (!bmp.isEmpty()) {
            emit watermarkGenerated(bmp, WatermarkPreview::kWidth, WatermarkPreview::kHeight);
        }
    });
    connect(&fontFeeder_, &QTimer::timeout, this, &WatermarkMakerWindow::AddFontNames);
}

void WatermarkMakerWindow::OnMakerCreated(QWidget* mainWindow) {
    setWindowTitle(tr("水印制作"));
    generate_->setText(tr("生成水印"));
    generate_->setToolTip(tr("把预览中的水印设为主窗口的水印图片"));
    colourButton_->setToolTip(tr("文字颜色"));
    {
        QSignalBlocker quiet(text_);  // the first text is drawn once, below
        text_->setText(tr("gifrec 水印"));
    }
    if (mainWindow) {
        QRect main = mainWindow->frameGeometry();
        move(main.left() + main.width(), main.top());
    }
    backgroundObject_ = preview_->CreateObject(0, 0, Opacity());
    StartFontFiller();
    preview_->DeleteObject(textObject_);
    RebuildText(kTextCentre, 10);
}

void WatermarkMakerWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_) {
        activated_ = true;
        OnMakerFirstActivated();
    }
}

void WatermarkMakerWindow::OnMakerFirstActivated() {
    for (int k = 1; k <= kStripCount; ++k) backgrounds_->addItem(tr("背景 %1").arg(k));
    for (int i = 0; i < 4; ++i) sizes_->addItem(tr(kMakerSizes[i].entry));
    // The lists start from their first entries; the text keeps the size an earlier maker window
    // chose until another entry is picked.
    sizes_->setCurrentIndex(0);
}

void WatermarkMakerWindow::StartFontFiller() {
    fontFiller_ = QThread::create([this] {
        QStringList names = QFontDatabase::families();
        QMetaObject::invokeMethod(
            this,
            [this, names] {
                pendingFonts_ = names;
                fontFeeder_.start(0);
            },
            Qt::QueuedConnection);
    });
    fontFiller_->start();
}

void WatermarkMakerWindow::AddFontNames() {
    // A few names per pass, so the window stays usable while the list fills.
    for (int added = 0; added < kFontsPerStep && !pendingFonts_.isEmpty(); ++added) {
        QString name = pendingFonts_.takeFirst();
        if (!name.startsWith(QLatin1Char('@'))) fonts_->addItem(name);
    }
    if (!pendingFonts_.isEmpty()) return;
    fontFeeder_.stop();
    fonts_->setCurrentIndex(0);
    fontsFilled_ = true;
}

double WatermarkMakerWindow::Opacity() const {
    return transparency_->value() * 10 / 100.0;
}

void WatermarkMakerWindow::RebuildText(int x, int y) {
    preview_->DeleteObject(textObject_);
    int bytes = GbkByteLength(text_->text());
    textObject_ = preview_->CreateObject(x - bytes * 6 / 2, y, Opacity());
    preview_->SetObjectText(textObject_, text_->text(), MakerQFont(), colour_);
}

void WatermarkMakerWindow::OnMakerTextChanged() {
    if (GbkByteLength(text_->text()) >= kMaxTextBytes) return;
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerVerticalScroll() {
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerHorizontalScroll() {
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerColourChosen(const QColor& colour) {
    colour_ = colour;
    colourButton_->setIcon(Swatch(colour_));
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerFontChosen(int index) {
    if (index >= 0) DefaultTextFont().face = fonts_->itemText(index);
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerSizeChosen(int index) {
    if (index >= 0 && index < 4) DefaultTextFont().pointSize = kMakerSizes[index].points;
    // Back to the centre; the scroll bar stays where it is.
    RebuildText(kTextCentre, vertical_->value());
}

void WatermarkMakerWindow::OnMakerBackgroundChosen(int index) {
    preview_->DeleteObject(backgroundObject_);
    if (index >= 0 && index < kStripCount) preview_->SetTemplatePicture(Strip(index));
    backgroundObject_ = preview_->CreateObject(0, 0, Opacity());
    RebuildText(horizontal_->value(), vertical_->value());
}

void WatermarkMakerWindow::OnMakerTransparencyChanged(int position) {
    double opacity = position * 10 / 100.0;
    preview_->SetObjectOpacity(backgroundObject_, opacity);
    preview_->SetObjectOpacity(textObject_, opacity);
}

QByteArray WatermarkMakerWindow::GenerateWatermark() {
    QImage strip(WatermarkPreview::kWidth, WatermarkPreview::kHeight, QImage::Format_RGB32);
    strip.fill(Qt::black);
    QPainter painter(&strip);
    preview_->Paint(painter);
    painter.end();
    std::vector<uint8_t> bmp = ToBmp24(strip);
    return QByteArray(reinterpret_cast<const char*>(bmp.data()),
                      static_cast<qsizetype>(bmp.size()));
}

}  // namespace app
