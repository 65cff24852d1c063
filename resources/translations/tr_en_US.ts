<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;全屏&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Full screen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Software设置&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Software settings&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;日志&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Log&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;帮助&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Help&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>添加设备</source>
        <translation>Add device</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拍照&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Snapshot&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;录像&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Record&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;收听&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Listen&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;发言&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Talk&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向上&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Up&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向下&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Down&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向左&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Left&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向右&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Right&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;全方位巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;All-direction cruise (on/off)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;水平巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Horizontal cruise (on/off)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;垂直巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Vertical cruise (on/off)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;设置当前位置为预置位&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Set the current position as a preset&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;转动到预置位&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Go to a preset&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;垂直翻转&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Vertical flip&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;镜像&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Mirror&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉近(光学变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Zoom in (optical zoom)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉远(光学变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Zoom out (optical zoom)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉近(数字变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Zoom in (digital zoom)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉远(数字变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Zoom out (digital zoom)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;设置无线&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Wireless settings&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Camera设置&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Camera settings&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>速率：124KBps  CPU: %38</source>
        <translation>Rate: 124KBps  CPU: %38</translation>
    </message>
    <message>
        <source>速率：%1 KBps  %2</source>
        <translation>Rate: %1 KBps  %2</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>确定要退出程序吗？</source>
        <translation>Are you sure you want to exit the program?</translation>
    </message>
    <message>
        <source>播放视频失败</source>
        <translation>Play video failed</translation>
    </message>
    <message>
        <source>主码流 播放</source>
        <translation>Play main stream</translation>
    </message>
    <message>
        <source>子码流 播放</source>
        <translation>Play sub stream</translation>
    </message>
    <message>
        <source>关闭视频</source>
        <translation>Close video</translation>
    </message>
    <message>
        <source>删除设备</source>
        <translation>Delete device</translation>
    </message>
    <message>
        <source>修改设备别名</source>
        <translation>Change device alias</translation>
    </message>
    <message>
        <source>修改访问密码</source>
        <translation>Change access password</translation>
    </message>
    <message>
        <source>设备设置</source>
        <translation>Device settings</translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation>Reboot device</translation>
    </message>
    <message>
        <source>SD卡录像查询</source>
        <translation>SD card recordings</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>开始录像</source>
        <translation>Start recording</translation>
    </message>
    <message>
        <source>停止录像</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>Camera设置</source>
        <translation>Camera settings</translation>
    </message>
    <message>
        <source>全屏</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>确定要删除设备 &quot;%1(%2)&quot; ？</source>
        <translation>Are you sure you want to delete the device &quot;%1(%2)&quot;?</translation>
    </message>
    <message>
        <source>确定要重启设备吗？</source>
        <translation>Are you sure you want to reboot the device?</translation>
    </message>
    <message>
        <source>设备正在重启，大概需要一分钟。</source>
        <translation>The device is rebooting; this takes about a minute.</translation>
    </message>
    <message>
        <source>重启设备失败，请稍后再试</source>
        <translation>Rebooting the device failed, please try again later</translation>
    </message>
    <message>
        <source>请先连接视频</source>
        <translation>Please connect the video first</translation>
    </message>
</context>
<context>
    <name>TvDeviceTreeView</name>
    <message>
        <source>%1（正在重连）</source>
        <translation>%1 (reconnecting)</translation>
    </message>
</context>
<context>
    <name>TvDisplayMangeView</name>
    <message>
        <source>按Esc退出全屏</source>
        <translation>Press Esc to exit full screen</translation>
    </message>
</context>
<context>
    <name>TvLiveToolbar</name>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>请先连接视频</source>
        <translation>Please connect the video first</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>The folder does not exist</translation>
    </message>
    <message>
        <source>没有可用的声音设备</source>
        <translation>No sound device is available</translation>
    </message>
    <message>
        <source>收听失败</source>
        <translation>Listening failed</translation>
    </message>
    <message>
        <source>摄像机未执行该命令</source>
        <translation>The camera did not carry out the command</translation>
    </message>
    <message>
        <source>发言失败</source>
        <translation>Talk-back failed</translation>
    </message>
    <message>
        <source>1(开机位置)</source>
        <translation>1 (boot position)</translation>
    </message>
    <message>
        <source>2(I/O 报警位置)</source>
        <translation>2 (I / O alarm position)</translation>
    </message>
</context>
<context>
    <name>TvPlayController</name>
    <message>
        <source>设备不在线</source>
        <translation>The device is offline</translation>
    </message>
    <message>
        <source>播放失败，目前只支持同时播放 16 路视频</source>
        <translation>Play failed: at most 16 videos can play at the same time</translation>
    </message>
    <message>
        <source>播放视频失败</source>
        <translation>Play video failed</translation>
    </message>
</context>
<context>
    <name>TvPlayWidget</name>
    <message>
        <source>摄像机不在线</source>
        <translation>Camera offline</translation>
    </message>
    <message>
        <source>呼叫失败</source>
        <translation>Call failed</translation>
    </message>
    <message>
        <source>设备报警</source>
        <translation>Device alarm</translation>
    </message>
</context>
<context>
    <name>TvReconnectOverlay</name>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>正在重新连接…</source>
        <translation>Reconnecting…</translation>
    </message>
    <message>
        <source>最后画面：%1前</source>
        <translation>Last picture %1 ago</translation>
    </message>
</context>
<context>
    <name>TvSkipMark</name>
    <message>
        <source>跳帧中</source>
        <translation>skipping</translation>
    </message>
</context>
<context>
    <name>TvTipWidget</name>
    <message>
        <source>打开目录</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>抓拍成功</source>
        <translation>capture success</translation>
    </message>
    <message>
        <source>抓拍失败</source>
        <translation>capture failed</translation>
    </message>
    <message>
        <source>录像已完成</source>
        <translation>The video has been completed</translation>
    </message>
    <message>
        <source>录像失败</source>
        <translation>Video failed</translation>
    </message>
</context>
<context>
    <name>VeTitleBar</name>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>VeAlarmInfoModel</name>
    <message>
        <source>移动侦测</source>
        <translation>Motion detection</translation>
    </message>
    <message>
        <source>IO报警</source>
        <translation>IO alarm</translation>
    </message>
    <message>
        <source>打开视频</source>
        <translation>Video opened</translation>
    </message>
    <message>
        <source>关闭视频</source>
        <translation>Video closed</translation>
    </message>
    <message>
        <source>设备上线</source>
        <translation>Device online</translation>
    </message>
    <message>
        <source>设备掉线</source>
        <translation>Device offline</translation>
    </message>
</context>
<context>
    <name>VeAppLogDialog</name>
    <message>
        <source>日志</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>设备ID：</source>
        <translation>Device ID:</translation>
    </message>
    <message>
        <source>清除日志</source>
        <translation>Clear log</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
</context>
<context>
    <name>VeAppSettingDialog</name>
    <message>
        <source>设置</source>
        <translation>setup</translation>
    </message>
    <message>
        <source>抓拍文件保存位置</source>
        <translation>Snapshot folder</translation>
    </message>
    <message>
        <source>打开目录</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>录像文件保存位置</source>
        <translation>Recording folder</translation>
    </message>
    <message>
        <source>连接服务器设置</source>
        <translation>Server connection</translation>
    </message>
    <message>
        <source>IP地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>端口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>语言选择</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>需要重新启动软件才能生效</source>
        <translation>Takes effect after the software restarts</translation>
    </message>
    <message>
        <source>退出程序需要提示</source>
        <translation>Ask before exiting the program</translation>
    </message>
    <message>
        <source>多于四个画面时播放子码流</source>
        <translation>Play sub streams when more than four cameras are shown</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>简体中文</source>
        <translation>Simplified Chinese</translation>
    </message>
    <message>
        <source>繁体中文</source>
        <translation>Traditional Chinese</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Recording Folder</source>
        <translation>recording folder</translation>
    </message>
</context>
<context>
    <name>VeDataBase</name>
    <message>
        <source>无法写入数据库：%1</source>
        <translation>The database cannot be written: %1</translation>
    </message>
</context>
<context>
    <name>VeSqliteFile</name>
    <message>
        <source>无法创建数据库文件夹：%1</source>
        <translation>The database folder cannot be created: %1</translation>
    </message>
    <message>
        <source>数据库文件已损坏且无法移走：%1</source>
        <translation>The database file is damaged and cannot be moved aside: %1</translation>
    </message>
    <message>
        <source>数据库文件已损坏，已另存为 %1 并新建数据库</source>
        <translation>The database file was damaged; it was kept as %1 and a new database was started</translation>
    </message>
    <message>
        <source>无法打开数据库：%1</source>
        <translation>The database cannot be opened: %1</translation>
    </message>
</context>
<context>
    <name>VeSDFilesDialog</name>
    <message>
        <source>%1 SD卡录像查询</source>
        <translation>%1 SD card recordings</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Start Time</source>
        <translation>Start Time</translation>
    </message>
    <message>
        <source>Filename</source>
        <translation>Filename</translation>
    </message>
    <message>
        <source>Size (MB)</source>
        <translation>Size (MB)</translation>
    </message>
    <message>
        <source>Download Progress</source>
        <translation>Download Progress</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Tip</translation>
    </message>
    <message>
        <source>读取SD卡录像失败</source>
        <translation>Reading the SD card recordings failed</translation>
    </message>
    <message>
        <source>SD卡中没有录像</source>
        <translation>No recordings on the SD card</translation>
    </message>
    <message>
        <source>该文件已经下载，确定要重新下载？</source>
        <translation>This file has already been downloaded. Re-download it?</translation>
    </message>
    <message>
        <source>当前有文件正在下载，关闭后将停止下载，确定要关闭？</source>
        <translation>A file is being downloaded and closing stops the download. Close anyway?</translation>
    </message>
    <message>
        <source>无法写入录像文件夹：%1</source>
        <translation>The recording folder cannot be written: %1</translation>
    </message>
    <message>
        <source>下载失败：%1</source>
        <translation>Download failed: %1</translation>
    </message>
    <message>
        <source>下载中断：%1</source>
        <translation>The download was cut off: %1</translation>
    </message>
    <message>
        <source>录像文件写入失败：%1</source>
        <translation>Writing the recording file failed: %1</translation>
    </message>
    <message>
        <source>文件不存在：%1</source>
        <translation>The file does not exist: %1</translation>
    </message>
    <message>
        <source>无法打开文件：%1</source>
        <translation>The file cannot be opened: %1</translation>
    </message>
    <message>
        <source>无法打开文件夹：%1</source>
        <translation>The folder cannot be opened: %1</translation>
    </message>
    <message>
        <source>Wait for download</source>
        <translation>Wait for download</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>Download success</source>
        <translation>Download success</translation>
    </message>
    <message>
        <source>Partly downloaded</source>
        <translation>Partly downloaded</translation>
    </message>
    <message>
        <source>Downloadable</source>
        <translation>Downloadable</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Cancel Download</source>
        <translation>Cancel Download</translation>
    </message>
    <message>
        <source>Open file</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>Open Dir</source>
        <translation>Open Dir</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>Prev</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Next</translation>
    </message>
</context>
<context>
    <name>TvDeviceActions</name>
    <message>
        <source>读取设备参数失败，请稍后再试</source>
        <translation>The camera settings could not be read; please try again later</translation>
    </message>
</context>
<context>
    <name>TvDialogSupport</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
</context>
<context>
    <name>VeAddDeviceDialog</name>
    <message>
        <source>添加设备</source>
        <translation>Add device</translation>
    </message>
    <message>
        <source>设备 ID：</source>
        <translation>Device ID:</translation>
    </message>
    <message>
        <source>设备别名：</source>
        <translation>Device alias:</translation>
    </message>
    <message>
        <source>设备访问密码：</source>
        <translation>Access password:</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>设备ID不能为空</source>
        <translation>The device ID cannot be empty</translation>
    </message>
    <message>
        <source>设备ID格式不正确（最多31个字母、数字或符号，不含 ; 和 =）</source>
        <translation>The device ID is not valid (up to 31 letters, digits or symbols, without ; and =)</translation>
    </message>
    <message>
        <source>访问密码不能包含 ; 或 =</source>
        <translation>The access password cannot contain ; or =</translation>
    </message>
    <message>
        <source>已经添加过该设备，不需要重复添加</source>
        <translation>This device has already been added</translation>
    </message>
    <message>
        <source>添加失败，请稍后重试</source>
        <translation>Adding failed, please try again later</translation>
    </message>
    <message>
        <source>添加设备成功</source>
        <translation>Device added</translation>
    </message>
    <message>
        <source>您添加的设备不存在</source>
        <translation>The device you added does not exist</translation>
    </message>
    <message>
        <source>添加失败，访问密码错误</source>
        <translation>Adding failed: wrong access password</translation>
    </message>
</context>
<context>
    <name>VeCameraSettingDialog</name>
    <message>
        <source>Camera设置</source>
        <translation>Camera settings</translation>
    </message>
    <message>
        <source>警报管理：</source>
        <translation>Alarms:</translation>
    </message>
    <message>
        <source>移动侦测敏感度：</source>
        <translation>Motion sensitivity:</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>声音侦测敏感度：</source>
        <translation>Sound sensitivity:</translation>
    </message>
    <message>
        <source>高(60dB~70dB)</source>
        <translation>High (60dB~70dB)</translation>
    </message>
    <message>
        <source>中(70dB~80dB)</source>
        <translation>Medium (70dB~80dB)</translation>
    </message>
    <message>
        <source>低(&gt;80dB)</source>
        <translation>Low (&gt;80dB)</translation>
    </message>
    <message>
        <source>关闭 IR CUT</source>
        <translation>IR cut off</translation>
    </message>
    <message>
        <source>人体感应侦测(PIR)</source>
        <translation>Body detection (PIR)</translation>
    </message>
    <message>
        <source>颜色空间：</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>对比度：</source>
        <translation>Contrast:</translation>
    </message>
    <message>
        <source>饱和度：</source>
        <translation>Saturation:</translation>
    </message>
    <message>
        <source>亮度：</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>锐度：</source>
        <translation>Sharpness:</translation>
    </message>
    <message>
        <source>画面品质：</source>
        <translation>Picture quality:</translation>
    </message>
    <message>
        <source>码流模式：</source>
        <translation>Bit rate mode:</translation>
    </message>
    <message>
        <source>速 率(KB)：</source>
        <translation>Bit rate (KB):</translation>
    </message>
    <message>
        <source>帧 率：</source>
        <translation>Frame rate:</translation>
    </message>
    <message>
        <source>分辨率：</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>频 率：</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>应 用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>退 出</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>设置失败，请检查设备是否在线</source>
        <translation>The setting failed; please check that the camera is online</translation>
    </message>
</context>
<context>
    <name>VeConfigWiFiDialog</name>
    <message>
        <source>WiFi配置</source>
        <translation>Wi-Fi settings</translation>
    </message>
    <message>
        <source>SSID:</source>
        <translation>SSID:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>SSID 不能为空</source>
        <translation>The SSID cannot be empty</translation>
    </message>
    <message>
        <source>SSID 和密码不能包含 ; 或 =</source>
        <translation>The SSID and the password cannot contain ; or =</translation>
    </message>
    <message>
        <source>配置失败，请稍后再试</source>
        <translation>The settings failed, please try again later</translation>
    </message>
</context>
<context>
    <name>VeLocalAccessPwdDialog</name>
    <message>
        <source>访问密码</source>
        <translation>Access password</translation>
    </message>
    <message>
        <source>&lt;p&gt;访问密码错误，请输入正确的密码后再操作：&lt;/p&gt;</source>
        <translation>&lt;p&gt;Wrong access password. Please enter the correct password first:&lt;/p&gt;</translation>
    </message>
    <message>
        <source>访问密码：</source>
        <translation>Access password:</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>访问密码不能包含 ; 或 =</source>
        <translation>The access password cannot contain ; or =</translation>
    </message>
</context>
<context>
    <name>VeUpdateAccessPwdDialog</name>
    <message>
        <source>修改访问密码</source>
        <translation>Change access password</translation>
    </message>
    <message>
        <source>设备 ID：</source>
        <translation>Device ID:</translation>
    </message>
    <message>
        <source>旧访问密码：</source>
        <translation>Old password:</translation>
    </message>
    <message>
        <source>用户名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>用户名不能为空，也不能包含冒号</source>
        <translation>The user name cannot be empty or contain a colon</translation>
    </message>
    <message>
        <source>摄像机拒绝了该用户名或密码</source>
        <translation>The camera refused this user name or password</translation>
    </message>
    <message>
        <source>新访问密码：</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>新访问密码（确认）：</source>
        <translation>New password (again):</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>旧密码不能为空</source>
        <translation>The old password cannot be empty</translation>
    </message>
    <message>
        <source>旧密码错误，请重新输入</source>
        <translation>Wrong old password, please enter it again</translation>
    </message>
    <message>
        <source>新密码长度至少为4位</source>
        <translation>The new password needs at least 4 characters</translation>
    </message>
    <message>
        <source>两次输入的新密码不一致</source>
        <translation>The two new passwords differ</translation>
    </message>
    <message>
        <source>新密码最多31位，只能包含字母、数字和符号（不含 ; 和 =）</source>
        <translation>The new password has at most 31 letters, digits or symbols (without ; and =)</translation>
    </message>
    <message>
        <source>访问密码修改失败，请稍后再试</source>
        <translation>The access password was not changed, please try again later</translation>
    </message>
    <message>
        <source>访问密码修改成功，请牢记您的新密码</source>
        <translation>The access password was changed; please remember your new password</translation>
    </message>
</context>
<context>
    <name>VeUpdateAliasDialog</name>
    <message>
        <source>修改设备别名</source>
        <translation>Rename device</translation>
    </message>
    <message>
        <source>设备 ID：</source>
        <translation>Device ID:</translation>
    </message>
    <message>
        <source>设备别名：</source>
        <translation>Device alias:</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>设备已不在列表中</source>
        <translation>The device is no longer in the list</translation>
    </message>
</context>
<context>
    <name>VeDevSettingDialog</name>
    <message>
        <source>设备设置</source>
        <translation>Device Settings</translation>
    </message>
    <message>
        <source>设备状态</source>
        <translation>Device Status</translation>
    </message>
    <message>
        <source>登录状态：</source>
        <translation>Login state:</translation>
    </message>
    <message>
        <source>IP地址信息</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>自动获取IP地址（DHCP）：</source>
        <translation>Obtain an IP address automatically (DHCP)</translation>
    </message>
    <message>
        <source>用户设置IP地址：</source>
        <translation>Use the following IP address:</translation>
    </message>
    <message>
        <source>IP地址：</source>
        <translation>IP address:</translation>
    </message>
    <message>
        <source>子网掩码：</source>
        <translation>Subnet mask:</translation>
    </message>
    <message>
        <source>默认网关：</source>
        <translation>Default gateway:</translation>
    </message>
    <message>
        <source>DNS服务器：</source>
        <translation>DNS server:</translation>
    </message>
    <message>
        <source>MAC地址：</source>
        <translation>MAC address:</translation>
    </message>
    <message>
        <source>配置完成设备会自动重启，重启时间大约1分钟</source>
        <translation>The device restarts after the change; this takes about 1 minute</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>启用WiFi设置</source>
        <translation>Enable Wi-Fi</translation>
    </message>
    <message>
        <source>SSID：</source>
        <translation>SSID:</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>网络数量：</source>
        <translation>Networks:</translation>
    </message>
    <message>
        <source>数据加密：</source>
        <translation>Encryption:</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>安全类型：</source>
        <translation>Security:</translation>
    </message>
    <message>
        <source>画面品质：</source>
        <translation>Picture Quality:</translation>
    </message>
    <message>
        <source>分辨率：</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>帧 率：</source>
        <translation>Frame rate:</translation>
    </message>
    <message>
        <source>速 率(KB)：</source>
        <translation>Bit rate (KB):</translation>
    </message>
    <message>
        <source>码流模式：</source>
        <translation>Bit-rate mode:</translation>
    </message>
    <message>
        <source>频 率：</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>颜色空间：</source>
        <translation>Color:</translation>
    </message>
    <message>
        <source>锐度：</source>
        <translation>Sharpness:</translation>
    </message>
    <message>
        <source>亮度：</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>饱和度：</source>
        <translation>Saturation:</translation>
    </message>
    <message>
        <source>对比度：</source>
        <translation>Contrast:</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Defaults</translation>
    </message>
    <message>
        <source>SD使用信息</source>
        <translation>SD Card Usage</translation>
    </message>
    <message>
        <source>总容量：</source>
        <translation>Capacity:</translation>
    </message>
    <message>
        <source>已用空间：</source>
        <translation>Used:</translation>
    </message>
    <message>
        <source>剩余空间：</source>
        <translation>Free:</translation>
    </message>
    <message>
        <source>录像配置</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>报警录像</source>
        <translation>Record on alarm</translation>
    </message>
    <message>
        <source>开机自动录像</source>
        <translation>Record after power-on</translation>
    </message>
    <message>
        <source>录像自动循环覆盖</source>
        <translation>Overwrite the oldest recordings</translation>
    </message>
    <message>
        <source>语音录制</source>
        <translation>Record sound</translation>
    </message>
    <message>
        <source>录像质量：</source>
        <translation>Quality:</translation>
    </message>
    <message>
        <source>主码流</source>
        <translation>Main stream</translation>
    </message>
    <message>
        <source>子码流</source>
        <translation>Sub stream</translation>
    </message>
    <message>
        <source>录像分割大小(MB)：</source>
        <translation>File split size (MB):</translation>
    </message>
    <message>
        <source>*请不要热插拔SD卡！！！</source>
        <translation>* Do not insert or remove the SD card while the device is on!</translation>
    </message>
    <message>
        <source>格式化SD卡</source>
        <translation>Format SD Card</translation>
    </message>
    <message>
        <source>触发条件</source>
        <translation>Triggers</translation>
    </message>
    <message>
        <source>移动侦测敏感度：</source>
        <translation>Motion detection:</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>中</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>低</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>声音侦测敏感度：</source>
        <translation>Sound detection:</translation>
    </message>
    <message>
        <source>高(60dB~70dB)</source>
        <translation>High (60dB~70dB)</translation>
    </message>
    <message>
        <source>中(70dB~80dB)</source>
        <translation>Medium (70dB~80dB)</translation>
    </message>
    <message>
        <source>低(&gt;80dB)</source>
        <translation>Low (&gt;80dB)</translation>
    </message>
    <message>
        <source>人体感应侦测(PIR)</source>
        <translation>Body heat detection (PIR)</translation>
    </message>
    <message>
        <source>邮件报警</source>
        <translation>E-mail Alarm</translation>
    </message>
    <message>
        <source>发送者邮箱：</source>
        <translation>Sender:</translation>
    </message>
    <message>
        <source>SMTP服务器：</source>
        <translation>SMTP server:</translation>
    </message>
    <message>
        <source>SMTP端口：</source>
        <translation>SMTP port:</translation>
    </message>
    <message>
        <source>接收者邮箱：</source>
        <translation>Receiver:</translation>
    </message>
    <message>
        <source>报警图片数量：</source>
        <translation>Alarm pictures:</translation>
    </message>
    <message>
        <source>加密方式：</source>
        <translation>Security:</translation>
    </message>
    <message>
        <source>清空信息</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>IE地址：</source>
        <translation>Web address:</translation>
    </message>
    <message>
        <source>RTSP地址：</source>
        <translation>RTSP address:</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>音频：</source>
        <translation>Audio:</translation>
    </message>
    <message>
        <source>设备维护</source>
        <translation>Maintenance</translation>
    </message>
    <message>
        <source>同步本机时间</source>
        <translation>Sync Time</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Upgrade Firmware</translation>
    </message>
    <message>
        <source>设备重启</source>
        <translation>Reboot</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory Reset</translation>
    </message>
    <message>
        <source>4G优先</source>
        <translation>Prefer 4G</translation>
    </message>
    <message>
        <source>连接热点</source>
        <translation>Connect to a hotspot</translation>
    </message>
    <message>
        <source>控制开关1状态</source>
        <translation>Switch 1 on</translation>
    </message>
    <message>
        <source>控制开关2状态</source>
        <translation>Switch 2 on</translation>
    </message>
    <message>
        <source>有线设置</source>
        <translation>Wired</translation>
    </message>
    <message>
        <source>无线设置</source>
        <translation>Wireless</translation>
    </message>
    <message>
        <source>视频参数</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>SD卡设置</source>
        <translation>SD Card</translation>
    </message>
    <message>
        <source>报警设置</source>
        <translation>Alarm</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>输入的内容不能包含 ; 或 =</source>
        <translation>The text cannot contain ; or =</translation>
    </message>
    <message>
        <source>4G设置</source>
        <translation>4G</translation>
    </message>
    <message>
        <source>搜索WiFi失败，请稍后再试</source>
        <translation>The Wi-Fi search failed, please try again later</translation>
    </message>
    <message>
        <source>配置成功，设备正在重启</source>
        <translation>Settings applied, the device is restarting</translation>
    </message>
    <message>
        <source>配置失败，请稍后再试</source>
        <translation>The settings were not applied, please try again later</translation>
    </message>
    <message>
        <source>无线网络名称太长（最多31个字节）</source>
        <translation>The network name is too long (31 bytes at most)</translation>
    </message>
    <message>
        <source>配置成功，设备正在重启，请拔掉网线</source>
        <translation>Settings applied, the device is restarting; please unplug the network cable</translation>
    </message>
    <message>
        <source>设置失败，请检查设备是否在线</source>
        <translation>The setting was not applied, please check that the device is online</translation>
    </message>
    <message>
        <source>录像分割大小只能在5M至100M之间。</source>
        <translation>The file split size must be between 5 MB and 100 MB.</translation>
    </message>
    <message>
        <source>设备不在局域网，无法格式化！</source>
        <translation>The device is not on the LAN and cannot be formatted!</translation>
    </message>
    <message>
        <source>格式化后，SD卡里所有文件都会被清除，确定要格式化？</source>
        <translation>Formatting erases every file on the SD card. Format it?</translation>
    </message>
    <message>
        <source>格式化成功，设备正在重启...</source>
        <translation>SD card formatted, the device is restarting...</translation>
    </message>
    <message>
        <source>格式化失败！</source>
        <translation>Formatting failed!</translation>
    </message>
    <message>
        <source>设置成功，设备正在重启，大概需要2分钟...</source>
        <translation>Settings applied, the device is restarting; this takes about 2 minutes...</translation>
    </message>
    <message>
        <source>SSID不能为空！</source>
        <translation>The SSID cannot be empty!</translation>
    </message>
    <message>
        <source>配置失败</source>
        <translation>The settings were not applied</translation>
    </message>
    <message>
        <source>配置成功</source>
        <translation>Settings applied</translation>
    </message>
    <message>
        <source>同步时间成功。</source>
        <translation>Time synchronised.</translation>
    </message>
    <message>
        <source>确定要升级固件？升级过程大约需要3分钟，请不要拔掉电源或网线。</source>
        <translation>Upgrade the firmware? This takes about 3 minutes; do not unplug the power or the network cable.</translation>
    </message>
    <message>
        <source>正在升级固件，升级过程大约需要3分钟...</source>
        <translation>Upgrading the firmware; this takes about 3 minutes...</translation>
    </message>
    <message>
        <source>升级固件失败，请稍后再试</source>
        <translation>The firmware upgrade failed, please try again later</translation>
    </message>
    <message>
        <source>确定要恢复出厂设置？</source>
        <translation>Restore the factory settings?</translation>
    </message>
    <message>
        <source>恢复出厂设置成功，设备正在重启，大概需要一分钟。</source>
        <translation>Factory settings restored, the device is restarting; this takes about a minute.</translation>
    </message>
    <message>
        <source>恢复出厂设置失败，请稍后再试</source>
        <translation>The factory reset failed, please try again later</translation>
    </message>
    <message>
        <source>确定要重启设备？</source>
        <translation>Restart the device?</translation>
    </message>
    <message>
        <source>设备正在重启，大概需要一分钟。</source>
        <translation>The device is restarting; this takes about a minute.</translation>
    </message>
    <message>
        <source>重启设备失败，请稍后再试</source>
        <translation>The restart failed, please try again later</translation>
    </message>
    <message>
        <source>无效的IP地址</source>
        <translation>Invalid IP address</translation>
    </message>
    <message>
        <source>无效的子网掩码</source>
        <translation>Invalid subnet mask</translation>
    </message>
    <message>
        <source>无效的网关地址</source>
        <translation>Invalid gateway address</translation>
    </message>
    <message>
        <source>无效的DNS</source>
        <translation>Invalid DNS server</translation>
    </message>
    <message>
        <source>读取设备参数失败，请稍后再试</source>
        <translation>The device settings could not be read, please try again later</translation>
    </message>
    <message>
        <source>登录成功</source>
        <translation>Logged in</translation>
    </message>
    <message>
        <source>登录失败</source>
        <translation>Not logged in</translation>
    </message>
    <message>
        <source>无效的发送者邮箱！</source>
        <translation>Invalid sender address!</translation>
    </message>
    <message>
        <source>无效的接收者邮箱！</source>
        <translation>Invalid receiver address!</translation>
    </message>
    <message>
        <source>无效的SMTP端口</source>
        <translation>Invalid SMTP port</translation>
    </message>
</context>
<context>
    <name>TvLiveToolbar</name>
    <message>
        <source>设备不在局域网，不能修改WiFi！</source>
        <translation>The device is not on the LAN; its Wi-Fi cannot be changed!</translation>
    </message>
</context>
</TS>
