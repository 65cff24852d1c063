<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>MainWindow</name>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;全屏&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Software设置&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;日志&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;帮助&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拍照&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;录像&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;收听&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;发言&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向上&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向下&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向左&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;向右&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;全方位巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;水平巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;垂直巡航(开/关)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;设置当前位置为预置位&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;转动到预置位&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;垂直翻转&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;镜像&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉近(光学变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉远(光学变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉近(数字变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;拉远(数字变焦)&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;设置无线&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Camera设置&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速率：124KBps  CPU: %38</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>速率：%1 KBps  %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>提示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定要退出程序吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放视频失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备不在线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>播放失败，目前只支持同时播放 16 路视频</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>主码流 播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>子码流 播放</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭视频</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改设备别名</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改访问密码</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重启设备</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SD卡录像查询</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>刷新</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>开始录像</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止录像</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>全屏</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定要删除设备 &quot;%1(%2)&quot; ？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定要重启设备吗？</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备正在重启，大概需要一分钟。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重启设备失败，请稍后再试</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>请先连接视频</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TvDisplayMangeView</name>
    <message>
        <source>按Esc退出全屏</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TvPlayWidget</name>
    <message>
        <source>摄像机不在线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>呼叫失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备报警</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TvTipWidget</name>
    <message>
        <source>打开目录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>抓拍成功</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>抓拍失败</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>录像已完成</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>录像失败</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>VeTitleBar</name>
    <message>
        <source>最小化</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>还原</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最大化</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
