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
    <name>DeviceStackPage</name>
    <message>
        <source>Dravolinte 2024 标签后处理机控制程序</source>
        <translation>Dravolinte 2024, the control program of the label finishing machine</translation>
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
        <source>版本 ：</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
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
    <name>HelpStackPage</name>
    <message>
        <source>固件更新</source>
        <translation>Firmware update</translation>
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
</TS>
