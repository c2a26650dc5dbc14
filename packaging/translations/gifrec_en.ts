<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Captions</name>
    <message>
        <location filename="../../app/ui/steering_caption.cpp" line="13"/>
        <source>录制</source>
        <translation>Rec</translation>
    </message>
    <message>
        <location filename="../../app/ui/steering_caption.cpp" line="13"/>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location filename="../../app/ui/steering_caption.cpp" line="14"/>
        <source>采集</source>
        <translation>Pick</translation>
    </message>
    <message>
        <location filename="../../app/ui/steering_caption.cpp" line="14"/>
        <source>区域</source>
        <translation>Area</translation>
    </message>
</context>
<context>
    <name>CaptureWorker</name>
    <message>
        <location filename="../../app/core/capture_worker.cpp" line="169"/>
        <location filename="../../app/core/realtime_capture.cpp" line="63"/>
        <source>屏幕已无法录制: 超过两秒没有得到画面</source>
        <translation>The screen can no longer be recorded: no picture for over two seconds</translation>
    </message>
</context>
<context>
    <name>GifMakerEncoder</name>
    <message>
        <location filename="../../app/core/gif_maker_encoder.cpp" line="36"/>
        <source>没有可保存的动画</source>
        <translation>There is no animation to save</translation>
    </message>
</context>
<context>
    <name>OutputFile</name>
    <message>
        <location filename="../../app/core/output_file.cpp" line="42"/>
        <source>桌面文件夹 </source>
        <translation>The desktop folder </translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="43"/>
        <source> 在根目录下, 不在那里保存 (没有设置 HOME?)</source>
        <translation> is at the top of the file system; nothing is saved there (is HOME not set?)</translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="48"/>
        <location filename="../../app/core/output_file.cpp" line="59"/>
        <location filename="../../app/core/output_file.cpp" line="62"/>
        <source>无法创建文件夹 </source>
        <translation>Cannot create the folder </translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="49"/>
        <source>: 同名的文件已存在</source>
        <translation>: a file of that name is in the way</translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="60"/>
        <source> 不是文件夹</source>
        <translation> is not a folder</translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="79"/>
        <location filename="../../app/core/output_file.cpp" line="83"/>
        <source>创建文件失败: </source>
        <translation>Cannot create the file: </translation>
    </message>
    <message>
        <location filename="../../app/core/output_file.cpp" line="84"/>
        <source>: 名称都已被占用</source>
        <translation>: every name is taken</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <location filename="../../app/ui/help_actions.cpp" line="32"/>
        <source>gifrec 使用简介<byte value="xd"/>
<byte value="xd"/>
1. 在主窗口的列表中选择录制范围:<byte value="xd"/>
   全屏 —— 录制整个主屏幕;<byte value="xd"/>
   窗口 —— 按住&quot;采集&quot;按钮, 把鼠标移到要录制的窗口上, 该窗口会闪出红框, 松开即选定;<byte value="xd"/>
   区域 —— 点击&quot;区域&quot;按钮, 在冻结的屏幕画面上按住左键拖出矩形; 右键取上一次的矩形。<byte value="xd"/>
2. 按&quot;录制&quot;或 F2 开始录制, 再按一次&quot;停止&quot;或 F2 结束。<byte value="xd"/>
3. 动画保存在桌面的&quot;GIF动画&quot;文件夹中, 同时复制到剪贴板, 可直接粘贴。<byte value="xd"/>
4. 滑块调节采集间隔、播放速度、亮度和黑白效果。<byte value="xd"/>
5. 把小于 200×200 的 bmp、jpg、png 或 gif 图片拖到水印框上即可设为水印;<byte value="xd"/>
   也可以在&quot;工具&quot;菜单中用水印制作器生成文字水印。勾选水印框中的开关后录制时加上水印。<byte value="xd"/>
</source>
        <translation>gifrec guide<byte value="xd"/>
<byte value="xd"/>
1. Choose what to record in the main window&apos;s list:<byte value="xd"/>
   Full screen - the whole primary screen;<byte value="xd"/>
   Window - hold down the &quot;Pick&quot; button, move the pointer over the window to record; it flashes a red frame; let go to choose it;<byte value="xd"/>
   Region - click the &quot;Region&quot; button and drag a rectangle on the frozen screen; a right click takes the last rectangle.<byte value="xd"/>
2. Press &quot;Record&quot; or F2 to start, and &quot;Stop&quot; or F2 again to finish.<byte value="xd"/>
3. The animation is saved in the folder &quot;GIF动画&quot; on the desktop and copied to the clipboard, ready to paste.<byte value="xd"/>
4. The sliders set the capture interval, playback speed, brightness and black and white.<byte value="xd"/>
5. Drop a bmp, jpg, png or gif picture under 200×200 on the watermark box to make it the watermark;<byte value="xd"/>
   or make a text watermark with the watermark maker in the &quot;Tools&quot; menu. Tick the switch in the watermark box to stamp it while recording.<byte value="xd"/>
</translation>
    </message>
    <message>
        <location filename="../../app/ui/help_actions.cpp" line="117"/>
        <source>关于 gifrec</source>
        <translation>About gifrec</translation>
    </message>
    <message>
        <location filename="../../app/ui/help_actions.cpp" line="118"/>
        <source>gifrec 屏幕录制 GIF 动画工具<byte value="xd"/>
录下屏幕的一部分, 保存为 GIF 动画并复制到剪贴板</source>
        <translation>gifrec, a screen-to-GIF recorder<byte value="xd"/>
Records part of the screen, saves it as an animated GIF and copies it to the clipboard</translation>
    </message>
</context>
<context>
    <name>RecordingController</name>
    <message>
        <location filename="../../app/core/recording.cpp" line="101"/>
        <source>已暂停, 按 Shift+F2 继续</source>
        <translation>Paused, Shift+F2 resumes</translation>
    </message>
    <message>
        <location filename="../../app/core/recording.cpp" line="135"/>
        <location filename="../../app/core/recording.cpp" line="142"/>
        <source>录制中，帧数 </source>
        <translation>Recording, frame </translation>
    </message>
    <message>
        <location filename="../../app/core/recording.cpp" line="176"/>
        <source>已取消录制</source>
        <translation>Recording cancelled</translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="118"/>
        <source>已保存 </source>
        <translation>Saved </translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="136"/>
        <source>保存失败</source>
        <translation>Saving failed</translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="144"/>
        <source>（已压到 </source>
        <translation> (made to fit: </translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="145"/>
        <source>（仍超过大小上限: </source>
        <translation> (still over the size limit: </translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="146"/>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <location filename="../../app/core/recording_save.cpp" line="155"/>
        <source>超过大小上限，无法压小: </source>
        <translation>Over the size limit and could not be made smaller: </translation>
    </message>
</context>
<context>
    <name>RememberedSettings</name>
    <message>
        <location filename="../../app/core/remembered_settings.cpp" line="95"/>
        <source>默认设置, F2 开始或停止录制</source>
        <translation>Default settings; F2 records</translation>
    </message>
    <message>
        <location filename="../../app/core/remembered_settings.cpp" line="97"/>
        <source>设置文件无法读取, 用默认设置</source>
        <translation>Settings unreadable; defaults</translation>
    </message>
    <message>
        <location filename="../../app/core/remembered_settings.cpp" line="99"/>
        <source>设置文件已损坏, 用默认设置</source>
        <translation>Settings damaged; defaults</translation>
    </message>
</context>
<context>
    <name>StatusTexts</name>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="26"/>
        <source>采集间隔: 100</source>
        <translation>Interval: 100</translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="27"/>
        <source>采集间隔: </source>
        <translation>Interval: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="31"/>
        <source>帧延时: </source>
        <translation>Frame delay: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="35"/>
        <source>播放速度: </source>
        <translation>Play speed: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="40"/>
        <source>亮度: </source>
        <translation>Brightness: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="44"/>
        <source>黑白: 关</source>
        <translation>Black and white: off</translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="45"/>
        <source>黑白阈值: </source>
        <translation>B&amp;W threshold: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="49"/>
        <source>水印: </source>
        <translation>Watermark: </translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="50"/>
        <source>真</source>
        <translation>on</translation>
    </message>
    <message>
        <location filename="../../app/core/status_texts.cpp" line="50"/>
        <source>假</source>
        <translation>off</translation>
    </message>
</context>
<context>
    <name>WatermarkIntake</name>
    <message>
        <location filename="../../app/core/watermark_intake.cpp" line="89"/>
        <source>不支持的图片类型, 请拖入 bmp、jpg、png 或 gif 图片</source>
        <translation>Not a picture type it takes: drop a bmp, jpg, png or gif</translation>
    </message>
    <message>
        <location filename="../../app/core/watermark_intake.cpp" line="92"/>
        <source>图片太大, 水印须小于 200×200 像素</source>
        <translation>Too large: a watermark must be under 200×200 pixels</translation>
    </message>
    <message>
        <location filename="../../app/core/watermark_intake.cpp" line="94"/>
        <source>这张图片无法用作水印</source>
        <translation>This picture cannot be a watermark</translation>
    </message>
    <message>
        <location filename="../../app/core/watermark_intake.cpp" line="96"/>
        <source>水印图片已设置</source>
        <translation>Watermark set</translation>
    </message>
</context>
<context>
    <name>app::CaptureModeController</name>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="57"/>
        <source>显示器 %1</source>
        <translation>Monitor %1</translation>
    </message>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="52"/>
        <source>所有显示器</source>
        <translation>All monitors</translation>
    </message>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="106"/>
        <source>点击此按钮, 在桌面给出的窗口列表中选择要录制的窗口</source>
        <translation>Click this button and choose the window to record in the list the desktop shows</translation>
    </message>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="107"/>
        <source>按住此按钮, 把鼠标移到要录制的窗口上再松开</source>
        <translation>Hold this button down, move the pointer over the window to record and let go</translation>
    </message>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="110"/>
        <source>点击后在冻结的屏幕上拖出要录制的矩形, 右键取上一次的区域</source>
        <translation>Click, then drag the rectangle to record on the frozen screen; a right click takes the last one</translation>
    </message>
    <message>
        <location filename="../../app/ui/capture_mode_controller.cpp" line="99"/>
        <source>此桌面不让程序看到其他窗口, 无法选择窗口</source>
        <translation>This desktop shows programs no other windows: no window can be picked</translation>
    </message>
</context>
<context>
    <name>app::EditorStrip</name>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="41"/>
        <location filename="../../app/ui/editor_strip.cpp" line="112"/>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="44"/>
        <source>上一帧 (←)</source>
        <translation>Previous frame (←)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="47"/>
        <source>下一帧 (→)</source>
        <translation>Next frame (→)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="57"/>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="59"/>
        <source>设为开头</source>
        <translation>Set as start</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="60"/>
        <source>当前帧之前的都去掉 (I)</source>
        <translation>Drop every frame before this one (I)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="61"/>
        <source>设为结尾</source>
        <translation>Set as end</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="62"/>
        <source>当前帧之后的都去掉 (O)</source>
        <translation>Drop every frame after this one (O)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="64"/>
        <source>删除所选</source>
        <translation>Delete selection</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="65"/>
        <source>删除在时间轴上拖选的帧 (Delete)</source>
        <translation>Delete the frames dragged over on the timeline (Delete)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="66"/>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="68"/>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="69"/>
        <source>覆盖保存；原文件移到回收站 (Ctrl+S)</source>
        <translation>Save over the file; the original goes to the trash (Ctrl+S)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="67"/>
        <source>撤销上一次修改 (Ctrl+Z)</source>
        <translation>Undo the last change (Ctrl+Z)</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="108"/>
        <source>第 %1/%2 帧  %3 / %4</source>
        <translation>Frame %1/%2  %3 / %4</translation>
    </message>
    <message>
        <location filename="../../app/ui/editor_strip.cpp" line="112"/>
        <source>播放</source>
        <translation>Play</translation>
    </message>
</context>
<context>
    <name>app::MainWindow</name>
    <message>
        <location filename="../../app/ui/main_window_recording.cpp" line="76"/>
        <source>录制中，帧数 %1: %2</source>
        <translation>Recording, frame %1: %2</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_recording.cpp" line="73"/>
        <source>画面太大, 每秒只录到 %1 帧 (设定 %2 帧)</source>
        <translation>the screen is too large: %1 frames a second of the %2 set</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_recording.cpp" line="54"/>
        <source>本窗口无法隐藏, 会被录进画面; 点击“停止”结束录制</source>
        <translation>This window cannot be hidden and is in the recording; click “Stop” to end it</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="81"/>
        <source>GIF 录屏</source>
        <translation>GIF Recorder</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="87"/>
        <source>录制设置</source>
        <translation>Recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="94"/>
        <source>录制范围
帧间隔
播放速度
亮度
黑白
水印</source>
        <translation>Mode
Interval
Speed
Light
B&amp;W
Mark</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="189"/>
        <source>按 F2 开始或停止录制</source>
        <translation>F2 starts and stops</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="191"/>
        <source>开始或停止录制（F2）</source>
        <translation>Start or stop recording (F2)</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="192"/>
        <source>全屏</source>
        <translation>Screen</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="193"/>
        <source>选择窗口</source>
        <translation>Window</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="194"/>
        <source>选择区域</source>
        <translation>Region</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="214"/>
        <source>请先双击预览窗口将其关闭, 再按 F2</source>
        <translation>Double-click the preview to close it, then press F2</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="83"/>
        <source>工具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="84"/>
        <source>制作水印</source>
        <translation>Make Watermark</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="86"/>
        <source>重新保存</source>
        <translation>Save Again</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="91"/>
        <source>保存完整帧</source>
        <translation>Save Whole Frames</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="92"/>
        <source>精确颜色</source>
        <translation>Exact Colours</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="109"/>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="110"/>
        <source>使用教程</source>
        <translation>How to Use</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="111"/>
        <source>无法写入使用教程文件</source>
        <translation>Could not write the guide file</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="113"/>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="133"/>
        <source>画质</source>
        <translation>Quality</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="136"/>
        <source>100 (无损)</source>
        <translation>100 (lossless)</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="141"/>
        <source>输出尺寸</source>
        <translation>Output size</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="144"/>
        <source>大小上限</source>
        <translation>Size limit</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="147"/>
        <source>不限</source>
        <translation>None</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="173"/>
        <source>固定帧延时</source>
        <translation>Fixed frame delays</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="182"/>
        <source>开始前倒计时 3 秒</source>
        <translation>Count down 3 s before recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="215"/>
        <source>继续录制（Shift+F2）</source>
        <translation>Resume recording (Shift+F2)</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="215"/>
        <source>暂停录制（Shift+F2）</source>
        <translation>Pause recording (Shift+F2)</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="225"/>
        <source>%1 秒后开始录制, 按 F2 取消</source>
        <translation>Recording in %1 s, F2 cancels</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="267"/>
        <source>无法录制: 请先点击“采集”, 在桌面给出的列表中选择要录制的窗口</source>
        <translation>Cannot record: first click “Pick” and choose the window to record in the list the desktop shows</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_save.cpp" line="31"/>
        <source>正在保存… %1%</source>
        <translation>Saving… %1%</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_save.cpp" line="35"/>
        <location filename="../../app/ui/main_window_save.cpp" line="41"/>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_save.cpp" line="37"/>
        <source>保存失败：%1。录制仍在，可用“工具”菜单的“重新保存”再次保存</source>
        <translation>Saving failed: %1. The recording is kept; Tools &gt; Save Again saves it again</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_save.cpp" line="43"/>
        <source>录制已自动停止：%1。已保存 %2</source>
        <translation>Recording stopped: %1. Saved %2</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_save.cpp" line="52"/>
        <source>已恢复上次未保存的录制：%1</source>
        <translation>Recovered the last unsaved recording: %1</translation>
    </message>
    <message numerus="yes">
        <location filename="../../app/ui/main_window_save.cpp" line="55"/>
        <source>%n 个未保存的录制无法恢复：%1</source>
        <translation>
            <numerusform>%n unsaved recording could not be recovered: %1</numerusform>
            <numerusform>%n unsaved recordings could not be recovered: %1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window.cpp" line="193"/>
        <source>选择窗口(不可用)</source>
        <translation>Window (not here)</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="251"/>
        <source>无法录制: 没有 D-Bus 会话, 找不到屏幕录制门户</source>
        <translation>Cannot record: no D-Bus session to find the screen-cast portal on</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="253"/>
        <source>无法录制: 桌面没有提供屏幕录制门户</source>
        <translation>Cannot record: the desktop offers no screen-cast portal</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="255"/>
        <source>无法录制: 屏幕录制未获允许</source>
        <translation>Cannot record: screen recording was not allowed</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="257"/>
        <source>无法录制: 屏幕录制门户出错</source>
        <translation>Cannot record: the screen-cast portal failed</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="259"/>
        <source>无法录制: 连接不上 PipeWire 视频流</source>
        <translation>Cannot record: the PipeWire stream could not be opened</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="261"/>
        <source>无法录制: 视频流没有送来画面</source>
        <translation>Cannot record: the stream sent no picture</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="263"/>
        <source>无法录制: Xwayland 下截屏全黑, 请以 Wayland 方式运行</source>
        <translation>Cannot record: under Xwayland the screen grabs are black; run gifrec as a Wayland program</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="265"/>
        <source>正在等待屏幕录制的授权</source>
        <translation>Waiting for permission to record the screen</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_features.cpp" line="107"/>
        <source>恢复默认设置</source>
        <translation>Restore Defaults</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="177"/>
        <source>界面语言</source>
        <translation>Interface Language</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="181"/>
        <source>跟随系统</source>
        <translation>Follow the System</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="190"/>
        <source>界面语言将在下次启动时生效</source>
        <translation>Language changes at next start</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="83"/>
        <source>录制或保存时不能恢复默认设置</source>
        <translation>Can&apos;t restore while recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="87"/>
        <source>已恢复默认设置</source>
        <translation>Default settings restored</translation>
    </message>
    <message>
        <location filename="../../app/ui/main_window_remembered.cpp" line="119"/>
        <source>无法保存设置</source>
        <translation>Cannot save the settings</translation>
    </message>
</context>
<context>
    <name>app::PreviewWindow</name>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="22"/>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="49"/>
        <location filename="../../app/ui/preview_window.cpp" line="51"/>
        <location filename="../../app/ui/preview_window.cpp" line="203"/>
        <location filename="../../app/ui/preview_window.cpp" line="291"/>
        <location filename="../../app/ui/preview_window.cpp" line="294"/>
        <source>不能去掉所有的帧</source>
        <translation>At least one frame must stay</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="89"/>
        <source>无法打开：%1</source>
        <translation>Cannot open: %1</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="157"/>
        <source>无法读取：%1</source>
        <translation>Cannot read: %1</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="198"/>
        <source>先在时间轴上拖选要删除的帧</source>
        <translation>First drag over the frames to delete on the timeline</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="209"/>
        <source>还在读取帧，请稍候再保存</source>
        <translation>Still reading the frames; save again in a moment</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="213"/>
        <source>没有要保存的修改</source>
        <translation>There are no changes to save</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="218"/>
        <location filename="../../app/ui/preview_window.cpp" line="224"/>
        <source>正在保存… %1%</source>
        <translation>Saving… %1%</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="245"/>
        <source>已保存，原文件已移到回收站；剪贴板里是新的GIF</source>
        <translation>Saved; the original is in the trash, and the new GIF is on the clipboard</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="246"/>
        <source>已保存，原文件保留为 %1；剪贴板里是新的GIF</source>
        <translation>Saved; the original is kept as %1, and the new GIF is on the clipboard</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="250"/>
        <source>保存失败：%1。原文件没有改动</source>
        <translation>Saving failed: %1. The original is unchanged</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="253"/>
        <source>保存失败：原文件无法移走（%1）。原文件没有改动</source>
        <translation>Saving failed: the original cannot be moved away (%1). The original is unchanged</translation>
    </message>
    <message>
        <location filename="../../app/ui/preview_window.cpp" line="256"/>
        <source>保存失败：%1。原文件已放回原处</source>
        <translation>Saving failed: %1. The original is back in its place</translation>
    </message>
</context>
<context>
    <name>app::RecordingFeedback</name>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="91"/>
        <location filename="../../app/ui/recording_feedback.cpp" line="106"/>
        <source>暂停录制</source>
        <translation>Pause recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="93"/>
        <source>停止录制</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="106"/>
        <source>继续录制</source>
        <translation>Resume recording</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="122"/>
        <source>%1 秒后开始录制 - %2</source>
        <translation>Recording in %1 s - %2</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="124"/>
        <source>%1 已暂停 - %2</source>
        <translation>%1 paused - %2</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="125"/>
        <source>%1 录制中 - %2</source>
        <translation>%1 recording - %2</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="129"/>
        <source>%1 秒后开始录制
按 F2 取消</source>
        <translation>Recording in %1 s
F2 cancels</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="132"/>
        <source>已暂停 %1, 已录 %2 帧
Shift+F2 继续, 单击此图标停止录制</source>
        <translation>Paused at %1, %2 frames
Shift+F2 resumes, a click on this icon stops</translation>
    </message>
    <message>
        <location filename="../../app/ui/recording_feedback.cpp" line="138"/>
        <source>录制中 %1, 已录 %2 帧%3
单击此图标停止录制</source>
        <translation>Recording %1, %2 frames%3
Click this icon to stop</translation>
    </message>
</context>
<context>
    <name>app::ToggleService</name>
    <message>
        <location filename="../../app/ui/remote_toggle.cpp" line="42"/>
        <source>开始或停止录制 GIF</source>
        <translation>Start or stop recording a GIF</translation>
    </message>
    <message>
        <location filename="../../app/ui/remote_toggle.cpp" line="44"/>
        <source>暂停或继续录制 GIF</source>
        <translation>Pause or resume the GIF recording</translation>
    </message>
</context>
<context>
    <name>app::WatermarkMakerWindow</name>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="189"/>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="200"/>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="200"/>
        <source>预览</source>
        <translation>View</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="200"/>
        <source>位置</source>
        <translation>Place</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="201"/>
        <source>背景</source>
        <translation>Strip</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="201"/>
        <source>字体</source>
        <translation>Font</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="201"/>
        <source>透明</source>
        <translation>Alpha</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="262"/>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="278"/>
        <source>文字颜色</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="275"/>
        <source>水印制作</source>
        <translation>Watermark Maker</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="276"/>
        <source>生成水印</source>
        <translation>Make Watermark</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="277"/>
        <source>把预览中的水印设为主窗口的水印图片</source>
        <translation>Makes the preview the main window’s watermark picture</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="281"/>
        <source>gifrec 水印</source>
        <translation>gifrec mark</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.cpp" line="302"/>
        <source>背景 %1</source>
        <translation>Strip %1</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.h" line="41"/>
        <source>默认</source>
        <translation>Small</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.h" line="42"/>
        <source>中号</source>
        <translation>Mid</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.h" line="43"/>
        <source>大号</source>
        <translation>Large</translation>
    </message>
    <message>
        <location filename="../../app/ui/watermark_maker_window.h" line="44"/>
        <source>巨大</source>
        <translation>Huge</translation>
    </message>
</context>
</TS>
