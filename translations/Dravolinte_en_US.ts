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
</TS>
