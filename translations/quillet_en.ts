<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>quillet::AnimationExportCommand</name>
    <message>
        <source>导出动画</source>
        <translation>Export Animation</translation>
    </message>
    <message>
        <source>正在导出动画……</source>
        <translation>Exporting the animation…</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>没有可以显示的单元</source>
        <translation>No unit shows anything</translation>
    </message>
</context>
<context>
    <name>quillet::AnimationFile</name>
    <message>
        <source>不是动画文件：文件不足一个单元的长度（192000字节）</source>
        <translation>Not an animation file: the file is shorter than one unit (192000 bytes)</translation>
    </message>
    <message>
        <source>时长数据已损坏，已忽略，各单元按文档速度播放</source>
        <translation>The durations are damaged and were ignored; every unit plays at the document speed</translation>
    </message>
    <message>
        <source>时长数据来自较新版本的Quillet，已忽略</source>
        <translation>The durations come from a newer version of Quillet and were ignored</translation>
    </message>
</context>
<context>
    <name>quillet::AutoSaver</name>
    <message>
        <source>文档本身就是自动保存的副本</source>
        <translation>The document is itself an autosaved copy</translation>
    </message>
    <message>
        <source>自动保存失败：%1</source>
        <translation>Autosave failed: %1</translation>
    </message>
</context>
<context>
    <name>quillet::CellEditModel</name>
    <message>
        <source>输入文字</source>
        <translation>Typing</translation>
    </message>
    <message>
        <source>删除文字</source>
        <translation>Delete Text</translation>
    </message>
    <message>
        <source>画笔</source>
        <translation>Brush</translation>
    </message>
    <message>
        <source>填充</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>矩形填充</source>
        <translation>Rectangle Fill</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>移动选区</source>
        <translation>Move Selection</translation>
    </message>
</context>
<context>
    <name>quillet::CellEditorPane</name>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>文字：点击放置光标，拖动选择，拖动选区可移动它</source>
        <translation>Text: click to place the cursor, drag to select, drag the selection to move it</translation>
    </message>
    <message>
        <source>画笔</source>
        <translation>Brush</translation>
    </message>
    <message>
        <source>画笔：左键两种颜色，Shift+左键文字颜色，右键或 Ctrl+左键背景颜色</source>
        <translation>Brush: left button both colours, Shift+left the text colour, right button or Ctrl+left the background colour</translation>
    </message>
    <message>
        <source>填充</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>填充：填充同一颜色的相连区域</source>
        <translation>Fill: fills the connected area of one colour</translation>
    </message>
    <message>
        <source>矩形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>矩形：拖出一个矩形并填色</source>
        <translation>Rectangle: drag a rectangle to colour it</translation>
    </message>
    <message>
        <source>取色</source>
        <translation>Pick</translation>
    </message>
    <message>
        <source>取色：取单元格的两种颜色（任何工具下 Alt+点击也可以）</source>
        <translation>Pick: takes both colours of a cell (Alt+click does this in any tool)</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>回到胶片  (Esc)</source>
        <translation>Back to the film strip  (Esc)</translation>
    </message>
    <message>
        <source>文字颜色</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>背景颜色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>交换</source>
        <translation>Swap</translation>
    </message>
    <message>
        <source>交换文字颜色和背景颜色  (X，文字工具以外)</source>
        <translation>Swap the text and background colours  (X, outside the text tool)</translation>
    </message>
    <message>
        <source>洋葱皮</source>
        <translation>Onion skin</translation>
    </message>
    <message>
        <source>淡淡地显示前一个单元  (O，文字工具以外)</source>
        <translation>Show the previous unit faintly  (O, outside the text tool)</translation>
    </message>
    <message>
        <source>后一单元</source>
        <translation>Next unit</translation>
    </message>
    <message>
        <source>同时淡淡地显示后一个单元</source>
        <translation>Also show the next unit faintly</translation>
    </message>
    <message>
        <source>洋葱皮的不透明度</source>
        <translation>Onion skin opacity</translation>
    </message>
    <message>
        <source>行 %1 列 %2</source>
        <translation>Row %1 Col %2</translation>
    </message>
    <message>
        <source>插入</source>
        <translation>Insert</translation>
    </message>
    <message>
        <source>改写</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>单元格编辑区</source>
        <translation>Cell editor</translation>
    </message>
    <message>
        <source>输入文字；方向键、Home、End、翻页键移动光标，加 Shift 选择；Esc 回到胶片</source>
        <translation>Type text; arrows, Home, End and the page keys move the cursor, with Shift they select; Esc returns to the film strip</translation>
    </message>
    <message>
        <source>洋葱皮不透明度</source>
        <translation>Onion skin opacity</translation>
    </message>
</context>
<context>
    <name>quillet::CellEditorView</name>
    <message>
        <source>以下字符无法保存为GBK编码：</source>
        <translation>These characters cannot be stored in GBK: </translation>
    </message>
</context>
<context>
    <name>quillet::ColorPalette</name>
    <message>
        <source>左键：文字颜色；右键：背景颜色</source>
        <translation>Left click: text colour; right click: background colour</translation>
    </message>
    <message>
        <source>方向键选择颜色；回车键或空格键设为文字颜色，加 Shift 设为背景颜色</source>
        <translation>Arrow keys choose a colour; Enter or Space makes it the text colour, with Shift the background colour</translation>
    </message>
    <message>
        <source>颜色板</source>
        <translation>Palette</translation>
    </message>
</context>
<context>
    <name>quillet::ColorSwatch</name>
    <message>
        <source>按空格键或回车键选择颜色</source>
        <translation>Press Space or Enter to pick a colour</translation>
    </message>
</context>
<context>
    <name>quillet::EditorActions</name>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>%1%2</source>
        <comment>undo or redo, then the step</comment>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>打开动画文件</source>
        <translation>Open animation file</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>新建动画文件</source>
        <translation>New animation file</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>保存动画文件</source>
        <translation>Save animation file</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>输出为网页</source>
        <translation>Export as web page</translation>
    </message>
    <message>
        <source>导出网页</source>
        <translation>Export Web Page…</translation>
    </message>
    <message>
        <source>添加文字页</source>
        <translation>Add a text page</translation>
    </message>
    <message>
        <source>删除当前页</source>
        <translation>Delete the current unit</translation>
    </message>
    <message>
        <source>删除单元</source>
        <translation>Delete Unit</translation>
    </message>
    <message>
        <source>上移一页</source>
        <translation>Move the unit up</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>下移一页</source>
        <translation>Move the unit down</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>打开/关闭预览</source>
        <translation>Open/close the preview</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>打开/关闭选项</source>
        <translation>Show/hide the options</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>关于本软件</source>
        <translation>About Quillet</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As…</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>剪切单元</source>
        <translation>Cut Unit</translation>
    </message>
    <message>
        <source>复制单元</source>
        <translation>Copy Unit</translation>
    </message>
    <message>
        <source>粘贴单元</source>
        <translation>Paste Unit</translation>
    </message>
    <message>
        <source>重复单元</source>
        <translation>Duplicate Unit</translation>
    </message>
    <message>
        <source>插入空白单元</source>
        <translation>Insert Blank Unit</translation>
    </message>
    <message>
        <source>编辑单元</source>
        <translation>Edit Unit</translation>
    </message>
    <message>
        <source>导出动画</source>
        <translation>Export Animation…</translation>
    </message>
    <message>
        <source>文件</source>
        <comment>menu</comment>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>编辑</source>
        <comment>menu</comment>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>单元</source>
        <comment>menu</comment>
        <translation>&amp;Unit</translation>
    </message>
    <message>
        <source>播放</source>
        <comment>menu</comment>
        <translation>&amp;Play</translation>
    </message>
    <message>
        <source>帮助</source>
        <comment>menu</comment>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>添加文字页</source>
        <comment>menu</comment>
        <translation>Add Text Page…</translation>
    </message>
    <message>
        <source>视图</source>
        <comment>menu</comment>
        <translation>&amp;View</translation>
    </message>
</context>
<context>
    <name>quillet::FileNamePanel</name>
    <message>
        <source>当前文件及路径</source>
        <translation>Current file and its path</translation>
    </message>
</context>
<context>
    <name>quillet::FilmView</name>
    <message>
        <source>单元 %1</source>
        <translation>Unit %1</translation>
    </message>
    <message>
        <source>胶片</source>
        <translation>Film strip</translation>
    </message>
    <message>
        <source>方向键、Page Up/Down、Home 和 End 选择单元，回车键或 F2 逐格编辑单元</source>
        <translation>Arrow keys, Page Up/Down, Home and End choose a unit; Enter or F2 edits it cell by cell</translation>
    </message>
</context>
<context>
    <name>quillet::OptionPanel</name>
    <message>
        <source>全局选项</source>
        <translation>Page options</translation>
    </message>
    <message>
        <source>作品标题:</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>Input Title</source>
        <translation>Input Title</translation>
    </message>
    <message>
        <source>网页底色:</source>
        <translation>Page background:</translation>
    </message>
    <message>
        <source>网页底色</source>
        <translation>Page background</translation>
    </message>
    <message>
        <source>网页字色:</source>
        <translation>Page text:</translation>
    </message>
    <message>
        <source>网页字色</source>
        <translation>Page text colour</translation>
    </message>
    <message>
        <source>网页按钮</source>
        <translation>Page buttons</translation>
    </message>
    <message>
        <source>在生成的网页上显示动画的控制按钮</source>
        <translation>Show the animation&apos;s control buttons on the exported page</translation>
    </message>
    <message>
        <source>字节模式:</source>
        <translation>Byte mode:</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>单字节</source>
        <translation>Single-byte</translation>
    </message>
    <message>
        <source>双字节</source>
        <translation>Double-byte</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>修改确认</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>作品标题</source>
        <translation>Title</translation>
    </message>
    <message>
        <source>导出的网页的标题</source>
        <translation>Title of the exported page</translation>
    </message>
    <message>
        <source>六位十六进制颜色，红色在前，例如 FF0000</source>
        <translation>Six hexadecimal digits, red first, e.g. FF0000</translation>
    </message>
    <message>
        <source>字节模式</source>
        <translation>Byte mode</translation>
    </message>
    <message>
        <source>以后添加的单元的字节模式</source>
        <translation>Byte mode of units added later</translation>
    </message>
    <message>
        <source>重置全局选项</source>
        <translation>Reset page options</translation>
    </message>
    <message>
        <source>用保存的值重新填写全局选项</source>
        <translation>Fills the page options again from the stored values</translation>
    </message>
    <message>
        <source>确认全局选项</source>
        <translation>Apply page options</translation>
    </message>
    <message>
        <source>应用全局选项</source>
        <translation>Applies the page options</translation>
    </message>
    <message>
        <source>单元默认选项</source>
        <translation>Unit defaults</translation>
    </message>
    <message>
        <source>单元底色:</source>
        <translation>Background:</translation>
    </message>
    <message>
        <source>新单元底色</source>
        <translation>New units&apos; background</translation>
    </message>
    <message>
        <source>单元字色:</source>
        <translation>Text colour:</translation>
    </message>
    <message>
        <source>新单元字色</source>
        <translation>New units&apos; text colour</translation>
    </message>
    <message>
        <source>只显示颜色；用旁边的色块选择颜色</source>
        <translation>Shows the colour only; pick it with the swatch beside it</translation>
    </message>
    <message>
        <source>重置单元默认选项</source>
        <translation>Reset unit defaults</translation>
    </message>
    <message>
        <source>用文档的值重新填写单元默认选项</source>
        <translation>Fills the unit defaults again from the document</translation>
    </message>
    <message>
        <source>确认单元默认选项</source>
        <translation>Apply unit defaults</translation>
    </message>
    <message>
        <source>以后添加的单元使用这两种颜色</source>
        <translation>Units added later take these two colours</translation>
    </message>
    <message>
        <source>当前单元选项</source>
        <translation>Current unit</translation>
    </message>
    <message>
        <source>文
本
内
容</source>
        <translation>T
e
x
t</translation>
    </message>
    <message>
        <source>文本内容</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>当前单元的文本，每行一行；Tab 键到下一个控件，Ctrl+Tab 输入制表符</source>
        <translation>The current unit&apos;s text, line by line; Tab moves on, Ctrl+Tab types a tab</translation>
    </message>
    <message>
        <source>单元底色</source>
        <translation>Unit background</translation>
    </message>
    <message>
        <source>时长:</source>
        <translation>Duration:</translation>
    </message>
    <message>
        <source>本单元的播放时长（毫秒，10～60000）；留空则按文档速度播放</source>
        <translation>This unit&apos;s duration in milliseconds (10–60000); empty plays it at the document&apos;s speed</translation>
    </message>
    <message>
        <source>单元字色</source>
        <translation>Unit text colour</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>确认当前单元选项</source>
        <translation>Apply to current unit</translation>
    </message>
    <message>
        <source>把文本、颜色和时长应用到当前单元</source>
        <translation>Applies the text, colours and duration to the current unit</translation>
    </message>
</context>
<context>
    <name>quillet::PreviewPanel</name>
    <message>
        <source>动画预览</source>
        <translation>Animation preview</translation>
    </message>
    <message>
        <source>滚动速度(ms):</source>
        <translation>Speed (ms):</translation>
    </message>
    <message>
        <source>播放方式:</source>
        <translation>Play:</translation>
    </message>
    <message>
        <source>循环</source>
        <translation>Round and round</translation>
    </message>
    <message>
        <source>往返</source>
        <translation>Back and forth</translation>
    </message>
    <message>
        <source>播放一次</source>
        <translation>Once</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>暂停或继续播放（空格键）</source>
        <translation>Pause or continue playing (Space)</translation>
    </message>
    <message>
        <source>上一帧</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一帧</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>空格键暂停或继续；暂停时左右方向键逐帧后退或前进</source>
        <translation>Space pauses or resumes; while paused, Left and Right step back or forward</translation>
    </message>
    <message>
        <source>滚动速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>每帧显示的毫秒数；向右越长</source>
        <translation>Milliseconds each frame shows; longer to the right</translation>
    </message>
    <message>
        <source>采用这个速度</source>
        <translation>Use this speed</translation>
    </message>
    <message>
        <source>把预览的速度作为网页的速度，并关闭预览</source>
        <translation>Makes the preview&apos;s speed the page speed and closes the preview</translation>
    </message>
    <message>
        <source>播放方式</source>
        <translation>Play mode</translation>
    </message>
</context>
<context>
    <name>quillet::PrivateFolder</name>
    <message>
        <source>文件夹不属于当前用户</source>
        <translation>the folder does not belong to the current user</translation>
    </message>
    <message>
        <source>其他用户可以写入此文件夹</source>
        <translation>other users can write to this folder</translation>
    </message>
</context>
<context>
    <name>quillet::Prompts</name>
    <message>
        <source>%1已经存在，是否覆盖它？</source>
        <translation>%1 already exists. Replace it?</translation>
    </message>
</context>
<context>
    <name>quillet::QtPrompts</name>
    <message>
        <source>导出动画</source>
        <translation>Export Animation</translation>
    </message>
    <message>
        <source>一直循环</source>
        <translation>Loop forever</translation>
    </message>
    <message>
        <source>播放一次</source>
        <translation>Once</translation>
    </message>
    <message>
        <source>往返循环</source>
        <translation>Back and forth</translation>
    </message>
    <message>
        <source>格式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>放大倍数</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>循环</source>
        <translation>Loop</translation>
    </message>
</context>
<context>
    <name>quillet::StatusPanels</name>
    <message>
        <source>第0贞</source>
        <translation>Unit 0</translation>
    </message>
    <message>
        <source>是否包含色彩内容</source>
        <translation>Whether the unit has colours</translation>
    </message>
    <message>
        <source>单元：%1/%2</source>
        <translation>Unit: %1/%2</translation>
    </message>
    <message>
        <source>尺寸：%1×%2</source>
        <translation>Size: %1×%2</translation>
    </message>
    <message>
        <source>单元：0/0</source>
        <translation>Unit: 0/0</translation>
    </message>
    <message>
        <source>尺寸：0x0</source>
        <translation>Size: 0x0</translation>
    </message>
    <message>
        <source>包含色彩内容</source>
        <translation>Holds colour content</translation>
    </message>
    <message>
        <source>不含色彩内容</source>
        <translation>No colour content</translation>
    </message>
</context>
<context>
    <name>quillet::TForm_movie</name>
    <message>
        <source>动画文本(mmt) (*.mmt)</source>
        <translation>Animation files (*.mmt)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>已到达单元数上限</source>
        <translation>The document already holds the most units it can (50)</translation>
    </message>
    <message>
        <source>是否保存当前动画文件？</source>
        <translation>Save the current animation file?</translation>
    </message>
    <message>
        <source>%1中的单元多于50个，只打开了前50个。覆盖它将丢失第50个以后的单元，是否仍然覆盖？</source>
        <translation>%1 holds more than 50 units; only the first 50 were opened. Replacing it loses the units after the 50th. Replace it anyway?</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>Text Files (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>添加文字页</source>
        <translation>Add Text Page</translation>
    </message>
    <message>
        <source>确实要删除当前单元吗？</source>
        <translation>Delete the current unit?</translation>
    </message>
    <message>
        <source>删除单元</source>
        <translation>Delete Unit</translation>
    </message>
    <message>
        <source>已经最顶</source>
        <translation>The unit is already at the top</translation>
    </message>
    <message>
        <source>已经最底</source>
        <translation>The unit is already at the bottom</translation>
    </message>
    <message>
        <source>无法输出网页：找不到或无法读取网页模板文件 %1
%2</source>
        <translation>Cannot export the web page: the page template %1 is missing or cannot be read
%2</translation>
    </message>
    <message>
        <source>数据修改成功.</source>
        <translation>Changes applied.</translation>
    </message>
    <message>
        <source>当前单元的文本或颜色已修改但尚未确认，是否应用这些修改？</source>
        <translation>The text or colours of the current unit were changed but not applied. Apply the changes?</translation>
    </message>
    <message>
        <source>当前单元的时长已修改但尚未确认，是否应用这一修改？</source>
        <translation>The duration of the current unit was changed but not applied. Apply the change?</translation>
    </message>
    <message>
        <source>时长应为10到60000之间的整数毫秒数，留空则按文档速度播放。当前单元没有修改。</source>
        <translation>The duration must be a whole number of milliseconds from 10 to 60000, or empty to play at the document speed. The current unit was not changed.</translation>
    </message>
    <message>
        <source>以下字符无法保存为GBK编码，请删除或替换后再确认：
</source>
        <translation>These characters cannot be stored in GBK; delete or replace them, then apply again:
</translation>
    </message>
    <message>
        <source>上次运行未正常结束，是否恢复自动保存的动画？</source>
        <translation>The last run did not end normally. Recover the autosaved animation?</translation>
    </message>
    <message>
        <source>
%1
自动保存于 %2</source>
        <translation>
%1
autosaved at %2</translation>
    </message>
    <message>
        <source>剪贴板中没有可以粘贴的单元。</source>
        <translation>The clipboard holds no units to paste.</translation>
    </message>
    <message>
        <source>剪贴板中的单元无法读取，没有粘贴任何内容：
</source>
        <translation>The units on the clipboard cannot be read; nothing was pasted:
</translation>
    </message>
    <message>
        <source>剪贴板中有%1个单元，已到达单元数上限，只粘贴了前%2个，%3个没有粘贴。</source>
        <translation>The clipboard holds %1 units. The document reached its limit of units: only the first %2 were pasted, %3 were not.</translation>
    </message>
    <message>
        <source>重复单元</source>
        <translation>Duplicate Unit</translation>
    </message>
    <message>
        <source>插入空白单元</source>
        <translation>Insert Blank Unit</translation>
    </message>
    <message>
        <source>剪切单元</source>
        <translation>Cut Unit</translation>
    </message>
    <message>
        <source>粘贴单元</source>
        <translation>Paste Unit</translation>
    </message>
</context>
<context>
    <name>quillet::Taboutform</name>
    <message>
        <source>关于【Quillet】</source>
        <translation>About Quillet</translation>
    </message>
    <message>
        <source>网址：</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>关于本软件</source>
        <translation>About Quillet</translation>
    </message>
    <message>
        <source>访问主页%1</source>
        <translation>Visit the home page %1</translation>
    </message>
    <message>
        <source>欢迎给我来信</source>
        <translation>Write to us</translation>
    </message>
    <message>
        <source>欢迎给我留言</source>
        <translation>Leave a message</translation>
    </message>
    <message>
        <source>导出到IE浏览器</source>
        <translation>Open in the web browser</translation>
    </message>
</context>
<context>
    <name>quillet::UndoHistory</name>
    <message>
        <source>上移单元</source>
        <translation>Move Unit Up</translation>
    </message>
    <message>
        <source>下移单元</source>
        <translation>Move Unit Down</translation>
    </message>
    <message>
        <source>应用单元内容</source>
        <translation>Apply Unit Contents</translation>
    </message>
    <message>
        <source>更改单元时长</source>
        <translation>Change Unit Duration</translation>
    </message>
    <message>
        <source>更改页面颜色</source>
        <translation>Change Page Colour</translation>
    </message>
</context>
<context>
    <name>quillet::UnitClipboard</name>
    <message>
        <source>单元数据不完整：数据在结尾之前中断</source>
        <translation>Incomplete unit data: the data ends too early</translation>
    </message>
    <message>
        <source>剪贴板</source>
        <translation>Clipboard</translation>
    </message>
    <message>
        <source>不是Quillet的单元数据</source>
        <translation>Not Quillet unit data</translation>
    </message>
    <message>
        <source>单元数据过大：超过50个完整单元的长度</source>
        <translation>Unit data too large: longer than 50 whole units</translation>
    </message>
    <message>
        <source>单元数据来自较新版本的Quillet，无法读取</source>
        <translation>The unit data comes from a newer version of Quillet and cannot be read</translation>
    </message>
    <message>
        <source>单元数据已损坏：文件名过长</source>
        <translation>Damaged unit data: a file name is too long</translation>
    </message>
    <message>
        <source>单元数据已损坏：文件名不是UTF-8文字</source>
        <translation>Damaged unit data: a file name is not UTF-8 text</translation>
    </message>
    <message>
        <source>单元数据已损坏：单元的字段超出范围</source>
        <translation>Damaged unit data: a unit field is out of range</translation>
    </message>
    <message>
        <source>单元数据有误：超过50个单元</source>
        <translation>Bad unit data: more than 50 units</translation>
    </message>
    <message>
        <source>单元数据有误：结尾之后还有多余的数据</source>
        <translation>Bad unit data: extra bytes after the end</translation>
    </message>
    <message>
        <source>单元数据已损坏：校验和不符</source>
        <translation>Damaged unit data: wrong checksum</translation>
    </message>
</context>
</TS>
