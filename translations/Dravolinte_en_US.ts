<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>DravolinteApp</name>
    <message>
        <source>任务份数不能为0 
</source>
        <translation>The number of copies must not be 0 
</translation>
    </message>
    <message>
        <source>切割份数已完成 
</source>
        <translation>All cut copies are done 
</translation>
    </message>
    <message>
        <source>打印份数已完成 
</source>
        <translation>All print copies are done 
</translation>
    </message>
    <message>
        <source>打印文件未打开 
</source>
        <translation>No print file is open 
</translation>
    </message>
    <message>
        <source>切割文件未打开 
</source>
        <translation>No cut file is open 
</translation>
    </message>
    <message>
        <source>设备未连接，请重启设备或者选择设备 
</source>
        <translation>The machine is not connected: restart it or choose a machine 
</translation>
    </message>
    <message>
        <source>不支持的切割类型!</source>
        <translation>This cut type is not supported!</translation>
    </message>
    <message>
        <source>机器繁忙，请稍后重试</source>
        <translation>The machine is busy, please try again later</translation>
    </message>
    <message>
        <source>请稍后重试 
</source>
        <translation>Please try again later 
</translation>
    </message>
    <message>
        <source>请等待升级结束</source>
        <translation>Please wait until the upgrade has finished</translation>
    </message>
</context>
<context>
    <name>Config</name>
    <message>
        <source>机器连接成功，重启完成初始化</source>
        <translation>Machine connected; the program restarts to finish setting up</translation>
    </message>
    <message>
        <source>RIIN路径</source>
        <translation>RIP path</translation>
    </message>
    <message>
        <source>二维码识别</source>
        <translation>QR code reading</translation>
    </message>
    <message>
        <source>使用打印辊</source>
        <translation>Use the print roller</translation>
    </message>
    <message>
        <source>信息</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>切割</source>
        <translation>Cutting</translation>
    </message>
    <message>
        <source>切割文件路径</source>
        <translation>Cut-file folder</translation>
    </message>
    <message>
        <source>切割标记类型</source>
        <translation>Cut marker type</translation>
    </message>
    <message>
        <source>十字</source>
        <translation>Cross</translation>
    </message>
    <message>
        <source>反切</source>
        <translation>Reverse cutting</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Printing</translation>
    </message>
    <message>
        <source>打印份数</source>
        <translation>Print copies</translation>
    </message>
    <message>
        <source>打印机软件路径</source>
        <translation>Printer program path</translation>
    </message>
    <message>
        <source>打印标记类型</source>
        <translation>Print marker type</translation>
    </message>
    <message>
        <source>打印辊上限位</source>
        <translation>Print roller upper limit</translation>
    </message>
    <message>
        <source>打印辊下限位</source>
        <translation>Print roller lower limit</translation>
    </message>
    <message>
        <source>打印辊触发值</source>
        <translation>Print roller trigger</translation>
    </message>
    <message>
        <source>支持多页副本</source>
        <translation>Printer makes the copies</translation>
    </message>
    <message>
        <source>收卷距离</source>
        <translation>Rewind length</translation>
    </message>
    <message>
        <source>收纸辊上限位</source>
        <translation>Rewind roller upper limit</translation>
    </message>
    <message>
        <source>收纸辊下限位</source>
        <translation>Rewind roller lower limit</translation>
    </message>
    <message>
        <source>收纸辊触发值</source>
        <translation>Rewind roller trigger</translation>
    </message>
    <message>
        <source>收纸速度</source>
        <translation>Rewind speed</translation>
    </message>
    <message>
        <source>文字识别</source>
        <translation>Text reading (OCR)</translation>
    </message>
    <message>
        <source>最大页数</source>
        <translation>Pages at most</translation>
    </message>
    <message>
        <source>条形码识别</source>
        <translation>Barcode reading</translation>
    </message>
    <message>
        <source>检测</source>
        <translation>Label check</translation>
    </message>
    <message>
        <source>检测异常暂停</source>
        <translation>Pause on a faulty label</translation>
    </message>
    <message>
        <source>热文件夹</source>
        <translation>Hot folder</translation>
    </message>
    <message>
        <source>热文件夹路径</source>
        <translation>Hot-folder path</translation>
    </message>
    <message>
        <source>纠偏速度</source>
        <translation>Web-guide speed</translation>
    </message>
    <message>
        <source>覆膜辊上限位</source>
        <translation>Laminating roller upper limit</translation>
    </message>
    <message>
        <source>覆膜辊下限位</source>
        <translation>Laminating roller lower limit</translation>
    </message>
    <message>
        <source>覆膜辊触发值</source>
        <translation>Laminating roller trigger</translation>
    </message>
    <message>
        <source>覆膜速度</source>
        <translation>Laminating speed</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warnings</translation>
    </message>
    <message>
        <source>调试</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Errors</translation>
    </message>
    <message>
        <source>陀螺仪对应速度</source>
        <translation>Dancer speed</translation>
    </message>
    <message>
        <source>陀螺仪触发值</source>
        <translation>Dancer trigger</translation>
    </message>
    <message>
        <source>陀螺仪限位</source>
        <translation>Dancer limit</translation>
    </message>
    <message>
        <source>日志输出设置</source>
        <translation>Log output</translation>
    </message>
    <message>
        <source>基础设置</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>检测设置</source>
        <translation>Label check settings</translation>
    </message>
    <message>
        <source>打印设置</source>
        <translation>Print settings</translation>
    </message>
    <message>
        <source>流程设置</source>
        <translation>Process settings</translation>
    </message>
</context>
<context>
    <name>TaskStackPage</name>
    <message>
        <source>暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>运行中</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>已停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>机器</source>
        <translation>Machine</translation>
    </message>
    <message>
        <source>未选择</source>
        <translation>none chosen</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>任务状态</source>
        <translation>Task</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>选择切割文件</source>
        <translation>Choose a cut file</translation>
    </message>
    <message>
        <source>选择打印文件</source>
        <translation>Choose a print file</translation>
    </message>
    <message>
        <source>切割文件 (*.plt *.PLT *.svg *.SVG)</source>
        <translation>Cut files (*.plt *.PLT *.svg *.SVG)</translation>
    </message>
    <message>
        <source>打印文件 (*.pdf *.PDF)</source>
        <translation>Print files (*.pdf *.PDF)</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>切割份数</source>
        <translation>Cut copies</translation>
    </message>
    <message>
        <source>预设份数</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>打印份数</source>
        <translation>Printed copies</translation>
    </message>
</context>
<context>
    <name>VideoTests</name>
    <message>
        <source>测试刀压</source>
        <translation>Test knife pressure</translation>
    </message>
    <message>
        <source>设置原点</source>
        <translation>Set origin</translation>
    </message>
    <message>
        <source>回到原点</source>
        <translation>Go to origin</translation>
    </message>
    <message>
        <source>识 别</source>
        <translation>Recognise</translation>
    </message>
    <message>
        <source>识别结果</source>
        <translation>Recognition result</translation>
    </message>
    <message>
        <source>单份切割</source>
        <translation>Cut one copy</translation>
    </message>
    <message>
        <source>收卷</source>
        <translation>Rewind</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>每次打印份数</source>
        <translation>Copies per print</translation>
    </message>
    <message>
        <source>份</source>
        <translation>copies</translation>
    </message>
    <message>
        <source>页面间隔</source>
        <translation>Page gap</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>测试功能</source>
        <translation>Test functions</translation>
    </message>
    <message>
        <source>抬刀</source>
        <translation>Knife up</translation>
    </message>
    <message>
        <source>落刀</source>
        <translation>Knife down</translation>
    </message>
    <message>
        <source>小车复位</source>
        <translation>Reset carriage</translation>
    </message>
    <message>
        <source>自动找点</source>
        <translation>Find marks</translation>
    </message>
    <message>
        <source>测试标记点</source>
        <translation>Test mark</translation>
    </message>
    <message>
        <source>移动偏移</source>
        <translation>Move by offset</translation>
    </message>
    <message>
        <source>重复切割</source>
        <translation>Repeat cut</translation>
    </message>
    <message>
        <source>空白切割</source>
        <translation>Blank cut</translation>
    </message>
</context>
<context>
    <name>TaskCopies</name>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>份数</source>
        <translation>Copies</translation>
    </message>
</context>
<context>
    <name>TaskPage</name>
    <message>
        <source>长按打开切割文件 </source>
        <translation>Hold to open a cut file </translation>
    </message>
    <message>
        <source>双击设置更多</source>
        <translation>Double-click for more settings</translation>
    </message>
    <message>
        <source>长按打开打印文件 </source>
        <translation>Hold to open a print file </translation>
    </message>
</context>
<context>
    <name>TaskStartPopup</name>
    <message>
        <source>纠偏复位</source>
        <translation>Reset web guide</translation>
    </message>
    <message>
        <source>裁断复位</source>
        <translation>Reset trimmer</translation>
    </message>
    <message>
        <source>计数清零</source>
        <translation>Reset counters</translation>
    </message>
    <message>
        <source>开始工作</source>
        <translation>Start work</translation>
    </message>
</context>
<context>
    <name>CutFilePage</name>
    <message>
        <source>切割文件</source>
        <translation>Cut file</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>自动排序</source>
        <translation>Auto sorting</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>禁用排序</source>
        <translation>Sorting disabled</translation>
    </message>
    <message>
        <source>选择切割文件</source>
        <translation>Choose a cut file</translation>
    </message>
    <message>
        <source>切割文件 (*.tqc *.TQC *.plt *.PLT)</source>
        <translation>Cut files (*.tqc *.TQC *.plt *.PLT)</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>保存文件 (*.plt *.PLT)</source>
        <translation>Save file (*.plt *.PLT)</translation>
    </message>
</context>
<context>
    <name>PrintFilePage</name>
    <message>
        <source>打印文件</source>
        <translation>Print file</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>打印机</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>首选项</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>切割文件</source>
        <translation>Cut file</translation>
    </message>
    <message>
        <source>可变数据源</source>
        <translation>Variable data source</translation>
    </message>
    <message>
        <source>可变数据序号</source>
        <translation>Variable data index</translation>
    </message>
    <message>
        <source>测试打印</source>
        <translation>Test print</translation>
    </message>
    <message>
        <source>选择打印文件</source>
        <translation>Choose a print file</translation>
    </message>
    <message>
        <source>打印文件 (*.pdf *.PDF)</source>
        <translation>Print files (*.pdf *.PDF)</translation>
    </message>
    <message>
        <source>选择打印文件的切割文件</source>
        <translation>Choose the print file's cut file</translation>
    </message>
    <message>
        <source>切割文件 (*.tqc *.TQC *.plt *.PLT)</source>
        <translation>Cut files (*.tqc *.TQC *.plt *.PLT)</translation>
    </message>
    <message>
        <source>选择数据源</source>
        <translation>Choose a data source</translation>
    </message>
    <message>
        <source>Excel文件 (*.xlsx *.XLSX)</source>
        <translation>Excel files (*.xlsx *.XLSX)</translation>
    </message>
</context>
<context>
    <name>VideoParams</name>
    <message>
        <source>标记点尺寸</source>
        <translation>Mark size</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>刀</source>
        <translation>Knife</translation>
    </message>
    <message>
        <source>点击校准摄像头偏移</source>
        <translation>Calibrate the camera offset</translation>
    </message>
    <message>
        <source>摄像头偏移</source>
        <translation>Camera offset</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>gf</source>
        <translation>gf</translation>
    </message>
    <message>
        <source>刻刀补偿</source>
        <translation>Knife compensation</translation>
    </message>
    <message>
        <source>闭合补偿</source>
        <translation>Closing compensation</translation>
    </message>
    <message>
        <source>点击切割100 x 100 mm 矩形</source>
        <translation>Cut a 100 x 100 mm square</translation>
    </message>
    <message>
        <source>缩放</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
</context>
<context>
    <name>VideoPage</name>
    <message>
        <source>灯光调整</source>
        <translation>Lights</translation>
    </message>
    <message>
        <source>手动移动</source>
        <translation>Manual move</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Tests</translation>
    </message>
    <message>
        <source>参数调整</source>
        <translation>Parameters</translation>
    </message>
</context>
<context>
    <name>VideoLights</name>
    <message>
        <source>补光灯</source>
        <translation>Fill light</translation>
    </message>
    <message>
        <source>顶灯</source>
        <translation>Top light</translation>
    </message>
    <message>
        <source>底灯</source>
        <translation>Bottom light</translation>
    </message>
</context>
<context>
    <name>VideoJogs</name>
    <message>
        <source>向上</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>向下</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>向左</source>
        <translation>Left</translation>
    </message>
    <message>
        <source>向右</source>
        <translation>Right</translation>
    </message>
</context>
<context>
    <name>CameraLegend</name>
    <message>
        <source>蓝线表示纸张边界</source>
        <translation>Blue lines: paper edges</translation>
    </message>
    <message>
        <source>红线表示裁断线</source>
        <translation>Red line: trim line</translation>
    </message>
    <message>
        <source>红色区域表示缺标</source>
        <translation>Red areas: missing labels</translation>
    </message>
    <message>
        <source>绿色表示文字识别</source>
        <translation>Green: text recognition</translation>
    </message>
    <message>
        <source>紫色表示条形码识别</source>
        <translation>Purple: barcode recognition</translation>
    </message>
    <message>
        <source>橙色表示二维码识别</source>
        <translation>Orange: QR code recognition</translation>
    </message>
</context>
<context>
    <name>VideoToolBar</name>
    <message>
        <source>无法写入文件夹: </source>
        <translation>Cannot write to the folder: </translation>
    </message>
    <message>
        <source>拍照失败: </source>
        <translation>Snapshot failed: </translation>
    </message>
    <message>
        <source>拍照失败: 没有摄像头</source>
        <translation>Snapshot failed: no camera</translation>
    </message>
    <message>
        <source>摄像头忙</source>
        <translation>the camera is busy</translation>
    </message>
    <message>
        <source>录像失败: 没有摄像头</source>
        <translation>Recording failed: no camera</translation>
    </message>
    <message>
        <source>录像失败: </source>
        <translation>Recording failed: </translation>
    </message>
    <message>
        <source>拍照</source>
        <translation>Snapshot</translation>
    </message>
    <message>
        <source>停止录像</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>录像</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
</context>
<context>
    <name>CameraPicker</name>
    <message>
        <source>摄像头</source>
        <translation>Camera</translation>
    </message>
</context>
<context>
    <name>CameraView</name>
    <message>
        <source>巡边</source>
        <translation>Edge</translation>
    </message>
    <message>
        <source>检测</source>
        <translation>Check</translation>
    </message>
</context>
<context>
    <name>CloseMark</name>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ComboBoxProperty</name>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>二维码</source>
        <translation>QR code</translation>
    </message>
</context>
<context>
    <name>FileDialogProperty</name>
    <message>
        <source>程序 (*.exe)</source>
        <translation>Programs (*.exe)</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>选择程序</source>
        <translation>Choose a program</translation>
    </message>
</context>
<context>
    <name>LoginPage</name>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>用户名</source>
        <translation>User name</translation>
    </message>
    <message>
        <source>用户名错误</source>
        <translation>Wrong user name</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User:</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Log in</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Dravolinte</source>
        <translation>Dravolinte</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>任务</source>
        <translation>Task</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
</context>
<context>
    <name>NuMessageBox</name>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>PhotoPreview</name>
    <message>
        <source>图片预览</source>
        <translation>Picture preview</translation>
    </message>
</context>
<context>
    <name>SettingPage</name>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存默认设置</source>
        <translation>Save as defaults</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>恢复默认设置</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>确定要保存当前设置为默认设置 ？</source>
        <translation>Save the current settings as the defaults?</translation>
    </message>
    <message>
        <source>确定要恢复到出厂设置 ？</source>
        <translation>Restore the factory settings?</translation>
    </message>
    <message>
        <source>确定要恢复到默认设置 ？</source>
        <translation>Restore the saved defaults?</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>DeviceSidePanel</name>
    <message>
        <source> 成功 </source>
        <translation> successful </translation>
    </message>
    <message>
        <source>Dravolinte 2024 标签后处理机控制程序</source>
        <translation>Dravolinte 2024, the control program of the label finishing machine</translation>
    </message>
    <message>
        <source>今日工作</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>累计工作</source>
        <translation>In total</translation>
    </message>
    <message>
        <source>任务运行中不可设置</source>
        <translation>Settings cannot be changed while a task runs</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>切割 ： </source>
        <translation>Cut: </translation>
    </message>
    <message>
        <source>打印 ：</source>
        <translation>Printed: </translation>
    </message>
    <message>
        <source>扫点 ： </source>
        <translation>Mark scans: </translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>版本 ：</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>生成日期 ：</source>
        <translation>Built: </translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>请等待升级结束</source>
        <translation>Please wait until the upgrade has finished</translation>
    </message>
    <message>
        <source>选择设备</source>
        <translation>Choose the machine</translation>
    </message>
</context>
<context>
    <name>HelpStackPage</name>
    <message>
        <source>固件更新</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>设备序列号:</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>选择连接方式:</source>
        <translation>Connection:</translation>
    </message>
    <message>
        <source>请选择升级模块:</source>
        <translation>Module:</translation>
    </message>
    <message>
        <source>请选择升级文件:</source>
        <translation>Firmware file:</translation>
    </message>
    <message>
        <source>升级文件</source>
        <translation>Firmware file</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>升级进度：</source>
        <translation>Progress: </translation>
    </message>
    <message>
        <source>选择升级文件</source>
        <translation>Choose the firmware file</translation>
    </message>
    <message>
        <source>升级文件 (*.*)</source>
        <translation>Firmware files (*.*)</translation>
    </message>
</context>
<context>
    <name>DeviceFrame</name>
    <message>
        <source>收纸辊:</source>
        <translation>Rewind roller:</translation>
    </message>
    <message>
        <source>收纸速度:</source>
        <translation>Rewind speed:</translation>
    </message>
    <message>
        <source>切割速度:</source>
        <translation>Cut speed:</translation>
    </message>
    <message>
        <source>覆膜辊:</source>
        <translation>Laminating roller:</translation>
    </message>
    <message>
        <source>覆膜速度:</source>
        <translation>Laminating speed:</translation>
    </message>
    <message>
        <source>打印辊:</source>
        <translation>Print roller:</translation>
    </message>
    <message>
        <source>陀螺仪:</source>
        <translation>Dancer:</translation>
    </message>
    <message>
        <source>收卷</source>
        <translation>Rewind</translation>
    </message>
    <message>
        <source>按住收卷</source>
        <translation>Hold to rewind</translation>
    </message>
</context>
<context>
    <name>DevicePage</name>
    <message>
        <source>机器参数</source>
        <translation>Machine parameters</translation>
    </message>
    <message>
        <source>工作模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>裁断偏移</source>
        <translation>Cut-off offset</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>刀</source>
        <translation>Knife</translation>
    </message>
    <message>
        <source>压力</source>
        <translation>Pressure</translation>
    </message>
    <message>
        <source>摄像头偏移</source>
        <translation>Camera offset</translation>
    </message>
    <message>
        <source>收料</source>
        <translation>Take-up</translation>
    </message>
    <message>
        <source>分切纠偏</source>
        <translation>Web guide</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>gf</source>
        <translation>gf</translation>
    </message>
    <message>
        <source>纠偏复位</source>
        <translation>Reset web guide</translation>
    </message>
    <message>
        <source>裁断复位</source>
        <translation>Reset cut-off</translation>
    </message>
    <message>
        <source>恢复默认设置</source>
        <translation>Restore defaults</translation>
    </message>
    <message>
        <source>保存默认设置</source>
        <translation>Save as defaults</translation>
    </message>
    <message>
        <source>确定要恢复到默认设置 ？</source>
        <translation>Restore the default settings?</translation>
    </message>
    <message>
        <source>确定要保存当前设置为默认设置 ？</source>
        <translation>Save the current settings as the defaults?</translation>
    </message>
    <message>
        <source>检查安全后，点击 &lt;确 定&gt; 按钮复位分切纠偏电机！</source>
        <translation>When it is safe, press &lt;OK&gt; to reset the web guide motor!</translation>
    </message>
    <message>
        <source>检查安全后，点击 &lt;确 定&gt; 按钮复位裁断电机！</source>
        <translation>When it is safe, press &lt;OK&gt; to reset the cut-off motor!</translation>
    </message>
</context>
<context>
    <name>CollectSwitch</name>
    <message>
        <source>收卷</source>
        <translation>Rewind</translation>
    </message>
    <message>
        <source>裁断</source>
        <translation>Cut off</translation>
    </message>
    <message>
        <source>收料</source>
        <translation>Take-up</translation>
    </message>
</context>
<context>
    <name>SensorBar</name>
    <message>
        <source>有信号</source>
        <translation>on</translation>
    </message>
    <message>
        <source>无信号</source>
        <translation>off</translation>
    </message>
</context>
<context>
    <name>CutModelComboBox</name>
    <message>
        <source>速度优先</source>
        <translation>Speed first</translation>
    </message>
    <message>
        <source>平衡</source>
        <translation>Balanced</translation>
    </message>
    <message>
        <source>精度优先</source>
        <translation>Precision first</translation>
    </message>
    <message>
        <source>工作模式</source>
        <translation>Mode</translation>
    </message>
</context>
<context>
    <name>PageWrites</name>
    <message>
        <source>工作模式设置失败，请检查设备</source>
        <translation>The mode was not set: check the machine</translation>
    </message>
    <message>
        <source>裁断偏移设置失败，请检查设备</source>
        <translation>The cut-off offset was not set: check the machine</translation>
    </message>
    <message>
        <source>速度设置失败，请检查设备</source>
        <translation>The speed was not set: check the machine</translation>
    </message>
    <message>
        <source>压力设置失败，请检查设备</source>
        <translation>The pressure was not set: check the machine</translation>
    </message>
    <message>
        <source>摄像头偏移设置失败，请检查设备</source>
        <translation>The camera offset was not set: check the machine</translation>
    </message>
    <message>
        <source>恢复默认设置失败，请检查设备</source>
        <translation>The defaults were not restored: check the machine</translation>
    </message>
    <message>
        <source>保存默认设置失败，请检查设备</source>
        <translation>The defaults were not saved: check the machine</translation>
    </message>
    <message>
        <source>纠偏复位失败，请检查设备</source>
        <translation>The web guide was not reset: check the machine</translation>
    </message>
    <message>
        <source>裁断复位失败，请检查设备</source>
        <translation>The cut-off was not reset: check the machine</translation>
    </message>
    <message>
        <source>任务运行中不可设置</source>
        <translation>Settings cannot be changed while a task runs</translation>
    </message>
</context>
<context>
    <name>Varnok120X</name>
    <message>
        <source>驱动X轴电机报错 </source>
        <translation>Drive X motor fault </translation>
    </message>
    <message>
        <source>驱动Y轴电机报错 </source>
        <translation>Drive Y motor fault </translation>
    </message>
    <message>
        <source>主控软限位X轴超幅宽 </source>
        <translation>Controller soft limit: X beyond the width </translation>
    </message>
    <message>
        <source>主控软限位Y轴超幅宽 </source>
        <translation>Controller soft limit: Y beyond the width </translation>
    </message>
    <message>
        <source>分切X轴电机报错 </source>
        <translation>Slitter X motor fault </translation>
    </message>
    <message>
        <source>分切Y轴电机报错 </source>
        <translation>Slitter Y motor fault </translation>
    </message>
    <message>
        <source>纠偏电机报错 </source>
        <translation>Web guide motor fault </translation>
    </message>
    <message>
        <source> 送纸限位 </source>
        <translation> Feed limit </translation>
    </message>
    <message>
        <source> 排废限位 </source>
        <translation> Waste rewind limit </translation>
    </message>
    <message>
        <source> 打印容纸限位 </source>
        <translation> Print buffer limit </translation>
    </message>
    <message>
        <source> 打印容纸过多 </source>
        <translation> Print buffer too full </translation>
    </message>
    <message>
        <source> 覆膜容纸限位 </source>
        <translation> Laminating buffer limit </translation>
    </message>
    <message>
        <source> 覆膜容纸过多 </source>
        <translation> Laminating buffer too full </translation>
    </message>
    <message>
        <source> 收纸容纸限位 </source>
        <translation> Rewind buffer limit </translation>
    </message>
    <message>
        <source> 收纸容纸过多 </source>
        <translation> Rewind buffer too full </translation>
    </message>
    <message>
        <source> 纠偏错误 </source>
        <translation> Web guide error </translation>
    </message>
    <message>
        <source>固件文件过大：%1</source>
        <translation>The firmware file is too large: %1</translation>
    </message>
    <message>
        <source>请等待升级结束</source>
        <translation>Please wait until the upgrade has finished</translation>
    </message>
</context>
<context>
    <name>UpgradeHandover</name>
    <message>
        <source>升级工具无法启动：%1</source>
        <translation>The upgrade tool cannot be started: %1</translation>
    </message>
</context>
<context>
    <name>LabelInspection</name>
    <message>
        <source>切割文件未打开 
</source>
        <translation>No cut file is open 
</translation>
    </message>
    <message>
        <source>纸张偏移大于</source>
        <translation>Paper offset greater than </translation>
    </message>
</context>
<context>
    <name>CutScene</name>
    <message>
        <source>切割文件没有页面图像，标签检测未进行</source>
        <translation>The cut file has no page picture: the labels are not checked</translation>
    </message>
</context>
<context>
    <name>FilmView</name>
    <message>
        <source>未检出</source>
        <translation>Not found</translation>
    </message>
</context>
<context>
    <name>LostLabelView</name>
    <message>
        <source>未检出</source>
        <translation>Not found</translation>
    </message>
</context>
<context>
    <name>PrintFiles</name>
    <message>
        <source>选择打印文件对应的切割文件</source>
        <translation>Choose the cut file of the print file</translation>
    </message>
    <message>
        <source>切割文件 (*.plt)</source>
        <translation>Cut files (*.plt)</translation>
    </message>
    <message>
        <source>选择数据源</source>
        <translation>Choose the data source</translation>
    </message>
    <message>
        <source>Excel文件 (*.xlsx)</source>
        <translation>Excel files (*.xlsx)</translation>
    </message>
    <message>
        <source>切割文件导出失败</source>
        <translation>The cut file could not be exported</translation>
    </message>
    <message>
        <source>数据源无法读取</source>
        <translation>The data source cannot be read</translation>
    </message>
    <message>
        <source>数据源没有更多记录</source>
        <translation>The data source has no more records</translation>
    </message>
    <message>
        <source>数据记录的打印文件无法生成</source>
        <translation>The print file of the record could not be made</translation>
    </message>
    <message>
        <source>打印文件无法打开</source>
        <translation>The print file cannot be opened</translation>
    </message>
    <message>
        <source>文件尺寸</source>
        <translation>File size</translation>
    </message>
</context>
<context>
    <name>Printing</name>
    <message>
        <source>禁用打印</source>
        <translation>Printing is off</translation>
    </message>
    <message>
        <source>打印文件未打开 
</source>
        <translation>No print file is open 
</translation>
    </message>
    <message>
        <source>切割文件未打开 
</source>
        <translation>No cut file is open 
</translation>
    </message>
    <message>
        <source>正在打印,请稍后重试</source>
        <translation>Printing, please try again later</translation>
    </message>
</context>
<context>
    <name>OutsidePrograms</name>
    <message>
        <source>文件打开失败，请安装office或wps</source>
        <translation>The file could not be opened: please install Office or WPS</translation>
    </message>
</context>
<context>
    <name>UpgradesSoftWidget</name>
    <message>
        <source>软件名称：</source>
        <translation>Software name:</translation>
    </message>
    <message>
        <source>软件版本：</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>软件编码：</source>
        <translation>Software code:</translation>
    </message>
    <message>
        <source>发布日期：</source>
        <translation>Release date:</translation>
    </message>
    <message>
        <source>更新内容：</source>
        <translation>What is new:</translation>
    </message>
    <message>
        <source>忽略</source>
        <translation>Ignore</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
</context>
<context>
    <name>UpgradesWidget</name>
    <message>
        <source>模块</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>发布日期</source>
        <translation>Release date</translation>
    </message>
    <message>
        <source>当前版本</source>
        <translation>Current version</translation>
    </message>
    <message>
        <source>最新版本</source>
        <translation>Latest version</translation>
    </message>
    <message>
        <source>历史版本</source>
        <translation>Earlier versions</translation>
    </message>
    <message>
        <source>升级模块</source>
        <translation>Upgrade modules</translation>
    </message>
    <message>
        <source>忽略</source>
        <translation>Ignore</translation>
    </message>
    <message>
        <source>升级</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>升级成功</source>
        <translation>Upgrade successful</translation>
    </message>
    <message>
        <source>请选择正确版本升级</source>
        <translation>Please choose a version to upgrade to</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>没有下载链接</source>
        <translation>No download link</translation>
    </message>
    <message>
        <source>请等待升级结束</source>
        <translation>Please wait until the upgrade has finished</translation>
    </message>
    <message>
        <source>下载进度%p%</source>
        <translation>Downloading %p%</translation>
    </message>
    <message>
        <source>升级进度%p%</source>
        <translation>Upgrading %p%</translation>
    </message>
    <message>
        <source>下载失败：%1</source>
        <translation>Download failed: %1</translation>
    </message>
</context>
</TS>
