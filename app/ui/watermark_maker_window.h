// The watermark maker: a line of text over one of seven background strips in a 196 × 33 preview,
// turned into the main window's watermark picture by its generate button.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QThread;

namespace app {

// The text font the maker draws with; it lives for the whole run and keeps its last face and
// size when the maker window is closed.
struct MakerFont {
    QString face = QStringLiteral("宋体");
    int pointSize = 9;
};
MakerFont& DefaultTextFont();

// A text's length as code page 936 counts it: ASCII 1 byte, every other character 2.
int GbkByteLength(const QString& text);

// The four entries of the size list and their sizes in points.
struct MakerSize {
    const char* entry;
    int points;
};
inline constexpr MakerSize kMakerSizes[] = {
    {QT_TRANSLATE_NOOP("app::WatermarkMakerWindow", "默认"), 9},
    {QT_TRANSLATE_NOOP("app::WatermarkMakerWindow", "中号"), 11},
    {QT_TRANSLATE_NOOP("app::WatermarkMakerWindow", "大号"), 16},
    {QT_TRANSLATE_NOOP("app::WatermarkMakerWindow", "巨大"), 22}};

// The maker's preview box: numbered objects drawn in the order they were made, each a picture
// (taken from the template) or a line of text, each with an opacity. Positions are pixels of the
// watermark picture.
class WatermarkPreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 196;
    static constexpr int kHeight = 33;

    explicit WatermarkPreview(QWidget* parent);

    void SetTemplatePicture(const QImage& picture) { template_ = picture; }
    // A new object from the template at (x, y), drawn above every other; returns its number.
    int CreateObject(int x, int y, double opacity);
    void DeleteObject(int id);
    void SetObjectText(int id, const QString& text, const QFont& font, const QColor& colour);
    void SetObjectOpacity(int id, double opacity);

    int ObjectCount() const { return static_cast<int>(objects_.size()); }
    QPoint ObjectPosition(int id) const;

    // Draws the objects onto a kWidth x kHeight picture. Text sizes are points on a 96-dpi
    // screen, so the watermark is the same on any screen; the box on screen shows it enlarged
    // to the layout's scale, its text drawn sharp at that size.
    void Paint(QPainter& painter) const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Object {
        int id = 0;
        QPoint at;
        QImage picture;
        QString text;
        QFont font;
        QColor colour;
        double opacity = 1.0;
    };
    Object* Find(int id);

    QImage template_;
    QList<Object> objects_;
    int nextId_ = 1;
};

class WatermarkMakerWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWindowWidth = 293;
    static constexpr int kWindowHeight = 248;

    // Opens beside `mainWindow`; closing deletes it.
    explicit WatermarkMakerWindow(QWidget* mainWindow);
    ~WatermarkMakerWindow() override;

    // The preview strip as a 196 × 33 24-bit BMP file image, rendered from the window's own
    // drawing of it (a window lying over the maker cannot get into it).
    QByteArray GenerateWatermark();

    // Handlers, public for the window's tests.
    void OnMakerTextChanged();
    void OnMakerVerticalScroll();
    void OnMakerHorizontalScroll();
    void OnMakerFontChosen(int index);
    void OnMakerSizeChosen(int index);
    void OnMakerColourChosen(const QColor& colour);
    void OnMakerBackgroundChosen(int index);
    void OnMakerTransparencyChanged(int position);
    void RebuildText(int x, int y);

    WatermarkPreview* Preview() const { return preview_; }
    QLineEdit* TextField() const { return text_; }
    QScrollBar* VerticalBar() const { return vertical_; }
    QScrollBar* HorizontalBar() const { return horizontal_; }
    QComboBox* BackgroundList() const { return backgrounds_; }
    QComboBox* FontList() const { return fonts_; }
    QComboBox* SizeList() const { return sizes_; }
    QSlider* TransparencySlider() const { return transparency_; }
    QPushButton* GenerateButton() const { return generate_; }
    int BackgroundObject() const { return backgroundObject_; }
    int TextObject() const { return textObject_; }
    bool FontListFilled() const { return fontsFilled_; }

  signals:
    // The generated watermark: the BMP file image and its size (196 × 33).
    void watermarkGenerated(const QByteArray& bmp24, int width, int height);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    void BuildRowCaptions(QGroupBox* group);
    void BuildPreviewRow(QGroupBox* group);
    void BuildListRows(QGroupBox* group);
    void BuildBottomRows(QGroupBox* group);
    void ConnectHandlers();
    void OnMakerCreated(QWidget* mainWindow);
    void OnMakerFirstActivated();
    void StartFontFiller();
    void AddFontNames();
    double Opacity() const;

    QLineEdit* text_ = nullptr;
    WatermarkPreview* preview_ = nullptr;
    QScrollBar* vertical_ = nullptr;
    QScrollBar* horizontal_ = nullptr;
    QComboBox* backgrounds_ = nullptr;
    QPushButton* colourButton_ = nullptr;
    QComboBox* fonts_ = nullptr;
    QComboBox* sizes_ = nullptr;
    QSlider* transparency_ = nullptr;
    QPushButton* generate_ = nullptr;
    QColor colour_ = QColor(0, 255, 0);
    int backgroundObject_ = 0;
    int textObject_ = 0;
    bool activated_ = false;

    QThread* fontFiller_ = nullptr;
    QStringList pendingFonts_;
    QTimer fontFeeder_;
    bool fontsFilled_ = false;
};

}  // namespace app
