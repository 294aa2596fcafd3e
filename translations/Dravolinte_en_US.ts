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
</context>
<context>
    <name>Main</name>
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
    <name>UpgradeHandover</name>
    <message>
        <source>升级工具无法启动：%1</source>
        <translation>The upgrade tool cannot be started: %1</translation>
    </message>
</context>
</TS>
