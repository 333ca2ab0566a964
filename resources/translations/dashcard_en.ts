<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>DCFAsyncKMLBuilder</name>
    <message>
        <source>MANUAL RECORD</source>
        <translation>MANUAL RECORD</translation>
    </message>
    <message>
        <source>PARKING RECORD</source>
        <translation>PARKING RECORD</translation>
    </message>
    <message>
        <source>EVENT RECORD</source>
        <translation>EVENT RECORD</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>DATE/TIME: %1&lt;br&gt;</source>
        <translation>DATE/TIME: %1&lt;br&gt;</translation>
    </message>
    <message>
        <source>EVENT: %1&lt;br&gt;</source>
        <translation>EVENT: %1&lt;br&gt;</translation>
    </message>
    <message>
        <source>LAT.: %1&lt;br&gt;LONG.: %2&lt;br&gt;</source>
        <translation>LAT.: %1&lt;br&gt;LONG.: %2&lt;br&gt;</translation>
    </message>
    <message>
        <source>SPD: %1 mph&lt;br&gt;</source>
        <translation>SPD: %1 mph&lt;br&gt;</translation>
    </message>
    <message>
        <source>SPD: %1 km/h&lt;br&gt;</source>
        <translation>SPD: %1 km/h&lt;br&gt;</translation>
    </message>
    <message>
        <source>DIRECTION: %1 °</source>
        <translation>DIRECTION: %1 °</translation>
    </message>
    <message>
        <source>ROUTE</source>
        <translation>ROUTE</translation>
    </message>
    <message>
        <source>An export is already running.</source>
        <translation>An export is already running.</translation>
    </message>
    <message>
        <source>There are no recordings to export.</source>
        <translation>There are no recordings to export.</translation>
    </message>
</context>
<context>
    <name>DCFAsyncParser</name>
    <message>
        <source>Rear video: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DriveSupportData</name>
    <message>
        <source>発進遅れ</source>
        <translation>Start delay</translation>
    </message>
    <message>
        <source>左車線注意</source>
        <translation>Lane departure left</translation>
    </message>
    <message>
        <source>右車線注意</source>
        <translation>Lane departure right</translation>
    </message>
    <message>
        <source>衝突注意</source>
        <translation>Forward collision</translation>
    </message>
</context>
<context>
    <name>DrivingEvent</name>
    <message>
        <source>Hard braking</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hard acceleration</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sharp cornering</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Localizable</name>
    <message>
        <source>EVENT RECORD</source>
        <translation>EVENT RECORD</translation>
    </message>
    <message>
        <source>MANUAL RECORD</source>
        <translation>MANUAL RECORD</translation>
    </message>
    <message>
        <source>PARKING RECORD</source>
        <translation>PARKING RECORD</translation>
    </message>
    <message>
        <source>Chatham Islands (UTC+12:45/UTC+13:45)</source>
        <translation>Chatham Islands (UTC+12:45/UTC+13:45)</translation>
    </message>
    <message>
        <source>Chatham Islands (UTC+12:45)</source>
        <translation>Chatham Islands (UTC+12:45)</translation>
    </message>
    <message>
        <source>New Zealand (UTC+12:00/UTC+13:00)</source>
        <translation>New Zealand (UTC+12:00/UTC+13:00)</translation>
    </message>
    <message>
        <source>New Zealand (UTC+12:00)</source>
        <translation>New Zealand (UTC+12:00)</translation>
    </message>
    <message>
        <source>Lord Howe (UTC+10:30/UTC+11:00)</source>
        <translation>Lord Howe (UTC+10:30/UTC+11:00)</translation>
    </message>
    <message>
        <source>Lord Howe (UTC+10:30)</source>
        <translation>Lord Howe (UTC+10:30)</translation>
    </message>
    <message>
        <source>Eastern Australia (UTC+10:00/UTC+11:00)</source>
        <translation>Eastern Australia (UTC+10:00/UTC+11:00)</translation>
    </message>
    <message>
        <source>Eastern Australia (UTC+10:00)</source>
        <translation>Eastern Australia (UTC+10:00)</translation>
    </message>
    <message>
        <source>Central Australia (UTC+09:30/UTC+10:30)</source>
        <translation>Central Australia (UTC+09:30/UTC+10:30)</translation>
    </message>
    <message>
        <source>Central Australia (UTC+09:30)</source>
        <translation>Central Australia (UTC+09:30)</translation>
    </message>
    <message>
        <source>Western Australia (UTC+08:00)</source>
        <translation>Western Australia (UTC+08:00)</translation>
    </message>
    <message>
        <source>Japan (UTC+09:00)</source>
        <translation>Japan (UTC+09:00)</translation>
    </message>
    <message>
        <source>China (UTC+08:00)</source>
        <translation>China (UTC+08:00)</translation>
    </message>
    <message>
        <source>Coordinated Universal Time (UTC)</source>
        <translation>Coordinated Universal Time (UTC)</translation>
    </message>
    <message>
        <source>Newfoundland (UTC-03:30/UTC-02:30)</source>
        <translation>Newfoundland (UTC-03:30/UTC-02:30)</translation>
    </message>
    <message>
        <source>Newfoundland (UTC-03:30)</source>
        <translation>Newfoundland (UTC-03:30)</translation>
    </message>
    <message>
        <source>Atlantic (UTC-04:00/UTC-03:00)</source>
        <translation>Atlantic (UTC-04:00/UTC-03:00)</translation>
    </message>
    <message>
        <source>Atlantic (UTC-04:00)</source>
        <translation>Atlantic (UTC-04:00)</translation>
    </message>
    <message>
        <source>Eastern USA (UTC-05:00/UTC-04:00)</source>
        <translation>Eastern USA (UTC-05:00/UTC-04:00)</translation>
    </message>
    <message>
        <source>Eastern USA (UTC-05:00)</source>
        <translation>Eastern USA (UTC-05:00)</translation>
    </message>
    <message>
        <source>Central USA (UTC-06:00/UTC-05:00)</source>
        <translation>Central USA (UTC-06:00/UTC-05:00)</translation>
    </message>
    <message>
        <source>Central USA (UTC-06:00)</source>
        <translation>Central USA (UTC-06:00)</translation>
    </message>
    <message>
        <source>Mountian USA (UTC-07:00/UTC-06:00)</source>
        <translation>Mountian USA (UTC-07:00/UTC-06:00)</translation>
    </message>
    <message>
        <source>Mountian USA (UTC-07:00)</source>
        <translation>Mountian USA (UTC-07:00)</translation>
    </message>
    <message>
        <source>Western USA (UTC-08:00/UTC-07:00)</source>
        <translation>Western USA (UTC-08:00/UTC-07:00)</translation>
    </message>
    <message>
        <source>Western USA (UTC-08:00)</source>
        <translation>Western USA (UTC-08:00)</translation>
    </message>
    <message>
        <source>Alaska (UTC-09:00/UTC-08:00)</source>
        <translation>Alaska (UTC-09:00/UTC-08:00)</translation>
    </message>
    <message>
        <source>Alaska (UTC-09:00)</source>
        <translation>Alaska (UTC-09:00)</translation>
    </message>
    <message>
        <source>Hawaii (UTC-10:00/UTC-9:00)</source>
        <translation>Hawaii (UTC-10:00/UTC-9:00)</translation>
    </message>
    <message>
        <source>Hawaii (UTC-10:00)</source>
        <translation>Hawaii (UTC-10:00)</translation>
    </message>
</context>
<context>
    <name>RyndStrings</name>
    <message>
        <source>TEXT_APP_MENU_ABOUT_APP</source>
        <translation>About Dashcard</translation>
    </message>
    <message>
        <source>TEXT_APP_MENU_HIDE_APP</source>
        <translation>Hide Dashcard</translation>
    </message>
    <message>
        <source>TEXT_APP_MENU_QUIT_APP</source>
        <translation>Quit Dashcard</translation>
    </message>
</context>
<context>
    <name>dashcard</name>
    <message>
        <source>The reference %1 cannot serve: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it has no index.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its media data is larger than the file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>it has no video.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its index points outside the file.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video is %1, not H.264 or H.265.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video reorders frames (B-frames), which a rebuild cannot time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video set-up is cut short.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video set-up is missing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video set-up is invalid.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its video has no timing.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>its sound set-up is missing.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::AboutBox</name>
    <message>
        <source>&lt;h3&gt;Dashcard %1&lt;/h3&gt;&lt;p&gt;A viewer for the memory card of a vehicle camera.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Dashcard %1&lt;/h3&gt;&lt;p&gt;A viewer for the memory card of a vehicle camera.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).&lt;/p&gt;</source>
        <translation>&lt;p&gt;Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Built-in world map: Natural Earth (public domain, naturalearthdata.com).&lt;/p&gt;</source>
        <translation>&lt;p&gt;Built-in world map: Natural Earth (public domain, naturalearthdata.com).&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Online map tiles: © OpenStreetMap contributors (openstreetmap.org/copyright).&lt;/p&gt;</source>
        <translation>&lt;p&gt;Online map tiles: © OpenStreetMap contributors (openstreetmap.org/copyright).&lt;/p&gt;</translation>
    </message>
    <message>
        <source>built-in world map</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>public domain</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>town names of trips</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>windows, files, network, SQLite map files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>video playback</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>thumbnails, stills, video export</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H.264 encoding of side-by-side exports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS position in pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>dates in the language&apos;s styles</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>KMZ files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SHA-256 of backups and incident reports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inserted cards</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MBTiles map files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;p&gt;Online map tiles: %1&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;p&gt;Made with these data sets and libraries:&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>speed colours of routes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;p&gt;Video decoding: %1&lt;/p&gt;</source>
        <translation>&lt;p&gt;Video decoding: %1&lt;/p&gt;</translation>
    </message>
    <message>
        <source>software</source>
        <translation>software</translation>
    </message>
    <message>
        <source>hardware (%1)</source>
        <translation>hardware (%1)</translation>
    </message>
</context>
<context>
    <name>dashcard::CardInfoDialog</name>
    <message>
        <source>%1 h</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No recording has a GPS fix: the camera&apos;s clock cannot be checked.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera&apos;s clock matches GPS time within a second.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 ahead of GPS time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 behind GPS time.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Card Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Card:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Identity:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recordings:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2 event, %3 parking)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recorded:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 to %2 (camera clock)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera time zone:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trips:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 km</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Driving events:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 hard braking, %2 hard acceleration, %3 sharp cornering</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clock:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Still reading the telemetry…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clock check threshold:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show times corrected by the clock&apos;s offset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The lists and readouts show the camera&apos;s times minus the offset; the file names never change.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::ClipHealth</name>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is empty (0 bytes): nothing was recorded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This is not a recognisable MP4 video.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file holds neither video data nor an index.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No index: the recording was cut off (power loss) before the camera closed it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The index is too large to be a camera&apos;s.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The index is damaged: %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cut short: %1 of %2 seconds play.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::ClipRebuilder</name>
    <message>
        <source>Cannot read %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The repaired copy cannot replace the damaged video itself.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is empty: nothing was recorded, nothing can be recovered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 holds no video data that could be recovered.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No healthy clip of the same camera lies beside %1 to serve as reference; name one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The sound of the reference cannot be decoded.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 reorders frames (B-frames), which a rebuild cannot time: it was not repaired.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No complete %1 picture was found in %2: nothing was recorded, or the reference is of another camera or codec.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The reference %1 does not match %2 (another codec, picture size or set-up).</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::CustomMapCalloutView</name>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
</context>
<context>
    <name>dashcard::DCFInfoTableModel</name>
    <message>
        <source>Protected</source>
        <translation>Protected</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Name / Date</source>
        <translation>Name / Date</translation>
    </message>
</context>
<context>
    <name>dashcard::DCFListViewController</name>
    <message>
        <source>Back Up…</source>
        <translation>Back Up…</translation>
    </message>
    <message>
        <source>Export KML/KMZ…</source>
        <translation>Export KML/KMZ…</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>Show Playing Recording</source>
        <translation>Show Playing Recording</translation>
    </message>
    <message>
        <source>The folder “%1” already exists and is not empty. Choose another name.</source>
        <translation>The folder “%1” already exists and is not empty. Choose another name.</translation>
    </message>
    <message>
        <source>“%1” already exists.</source>
        <translation>“%1” already exists.</translation>
    </message>
    <message>
        <source>The free space of the target could not be read.</source>
        <translation>The free space of the target could not be read.</translation>
    </message>
    <message>
        <source>There is not enough free space. Free size: %1, required size: %2.</source>
        <translation>There is not enough free space. Free size: %1, required size: %2.</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Back Up</source>
        <translation>Back Up</translation>
    </message>
    <message>
        <source>Execute</source>
        <translation>Execute</translation>
    </message>
    <message>
        <source>Free size:</source>
        <translation>Free size:</translation>
    </message>
    <message>
        <source>Required size:</source>
        <translation>Required size:</translation>
    </message>
    <message>
        <source>Choose a name ending in .kml or .kmz.</source>
        <translation>Choose a name ending in .kml or .kmz.</translation>
    </message>
    <message>
        <source>“%1” is a folder.</source>
        <translation>“%1” is a folder.</translation>
    </message>
    <message>
        <source>Export KML/KMZ</source>
        <translation>Export KML/KMZ</translation>
    </message>
    <message>
        <source>KML (*.kml)</source>
        <translation>KML (*.kml)</translation>
    </message>
    <message>
        <source>KMZ (*.kmz)</source>
        <translation>KMZ (*.kmz)</translation>
    </message>
    <message>
        <source>ROUTE</source>
        <translation>ROUTE</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>Export Video…</translation>
    </message>
    <message>
        <source>Event recordings</source>
        <translation>Event recordings</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playback Stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Damaged Recording</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“%1” cannot be played: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A playable copy can be rebuilt from what was recorded, without changing the card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose a Folder for the Repaired Copies</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n repaired copies were written. Play them in place of the damaged videos until this window closes?</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>dashcard::DvrSettingRyndViewController</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Camera Settings</source>
        <translation>Camera Settings</translation>
    </message>
    <message>
        <source>Video clip time per file</source>
        <translation>Video clip time per file</translation>
    </message>
    <message>
        <source>30s</source>
        <translation>30s</translation>
    </message>
    <message>
        <source>1min</source>
        <translation>1min</translation>
    </message>
    <message>
        <source>3min</source>
        <translation>3min</translation>
    </message>
    <message>
        <source>Impact level</source>
        <translation>Impact level</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Audio recording</source>
        <translation>Audio recording</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>Rear camera</translation>
    </message>
    <message>
        <source>Video quality</source>
        <translation>Video quality</translation>
    </message>
    <message>
        <source>FINE</source>
        <translation>FINE</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>NORMAL</translation>
    </message>
    <message>
        <source>Time zone</source>
        <translation>Time zone</translation>
    </message>
    <message>
        <source>Wireless LAN</source>
        <translation>Wireless LAN</translation>
    </message>
    <message>
        <source>2.4GHz</source>
        <translation>2.4GHz</translation>
    </message>
    <message>
        <source>5GHz</source>
        <translation>5GHz</translation>
    </message>
    <message>
        <source>Initialize Settings</source>
        <translation>Initialize Settings</translation>
    </message>
    <message>
        <source>Initialize and save the settings. Is it OK?</source>
        <translation>Initialize and save the settings. Is it OK?</translation>
    </message>
</context>
<context>
    <name>dashcard::EmptyCardView</name>
    <message>
        <source>Open the folder of a camera&apos;s card, or drop it on this window.</source>
        <translation>Open the folder of a camera&apos;s card, or drop it on this window.</translation>
    </message>
    <message>
        <source>Open Card…</source>
        <translation>Open Card…</translation>
    </message>
    <message>
        <source>Open a card</source>
        <translation>Open a card</translation>
    </message>
    <message>
        <source>Inserted Cards</source>
        <translation>Inserted Cards</translation>
    </message>
    <message>
        <source>Recent Cards</source>
        <translation>Recent Cards</translation>
    </message>
    <message>
        <source>This card holds no recordings.</source>
        <translation>This card holds no recordings.</translation>
    </message>
    <message>
        <source>No card is open.</source>
        <translation>No card is open.</translation>
    </message>
    <message>
        <source>No card is inserted.</source>
        <translation>No card is inserted.</translation>
    </message>
    <message>
        <source>No recent cards.</source>
        <translation>No recent cards.</translation>
    </message>
    <message>
        <source>Open %1</source>
        <translation>Open %1</translation>
    </message>
</context>
<context>
    <name>dashcard::EvidenceTasks</name>
    <message numerus="yes">
        <source>All %n file(s) match their SHA-256.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Changed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Missing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unreadable</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Malformed line</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation type="unfinished">
            <numerusform></numerusform>
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>The backup differs from its SHA256SUMS:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Backup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The backup could not be checked: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Incident %1.pdf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export Incident Report</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PDF document (*.pdf)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Incident report is complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The report could not be written: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::FileTileSource</name>
    <message>
        <source>Own tiles</source>
        <translation>Own tiles</translation>
    </message>
</context>
<context>
    <name>dashcard::GraphViewController</name>
    <message>
        <source>Speed:---</source>
        <translation>Speed:---</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>GX:0.000000</source>
        <translation>GX:0.000000</translation>
    </message>
    <message>
        <source>GY:0.000000</source>
        <translation>GY:0.000000</translation>
    </message>
    <message>
        <source>GZ:0.000000</source>
        <translation>GZ:0.000000</translation>
    </message>
    <message>
        <source>ACCELERATION(G)</source>
        <translation>ACCELERATION(G)</translation>
    </message>
    <message>
        <source>SPEED(mph)</source>
        <translation>SPEED(mph)</translation>
    </message>
    <message>
        <source>SPEED(km/h)</source>
        <translation>SPEED(km/h)</translation>
    </message>
    <message>
        <source>Speed: %1 %2</source>
        <translation>Speed: %1 %2</translation>
    </message>
    <message>
        <source>Set Export Start Here</source>
        <translation>Set Export Start Here</translation>
    </message>
    <message>
        <source>Set Export End Here</source>
        <translation>Set Export End Here</translation>
    </message>
    <message>
        <source>Clear Export Span</source>
        <translation>Clear Export Span</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>Export Video…</translation>
    </message>
    <message>
        <source>Speed and G-sensor graph</source>
        <translation>Speed and G-sensor graph</translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 g</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::IncidentExportDialog</name>
    <message>
        <source>Export Video</source>
        <translation>Export Video</translation>
    </message>
    <message>
        <source>Front</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>Rear</source>
        <translation>Rear</translation>
    </message>
    <message>
        <source>Front and Rear Side by Side</source>
        <translation>Front and Rear Side by Side</translation>
    </message>
    <message>
        <source>Cut exactly at the start and end (re-encodes the edges)</source>
        <translation>Cut exactly at the start and end (re-encodes the edges)</translation>
    </message>
    <message>
        <source>Burn in date, time and speed</source>
        <translation>Burn in date, time and speed</translation>
    </message>
    <message>
        <source>INCIDENT</source>
        <translation>INCIDENT</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>End:</translation>
    </message>
    <message>
        <source>Camera:</source>
        <translation>Camera:</translation>
    </message>
    <message>
        <source>Save as:</source>
        <translation>Save as:</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>The end must be after the start.</source>
        <translation>The end must be after the start.</translation>
    </message>
    <message>
        <source>No recording covers this span. Choose a start and an end within the card&apos;s recordings.</source>
        <translation>No recording covers this span. Choose a start and an end within the card&apos;s recordings.</translation>
    </message>
    <message>
        <source>The recordings of this span have no rear video.</source>
        <translation>The recordings of this span have no rear video.</translation>
    </message>
    <message>
        <source>Choose the file to save the video in.</source>
        <translation>Choose the file to save the video in.</translation>
    </message>
    <message>
        <source>“%1” is a folder.</source>
        <translation>“%1” is a folder.</translation>
    </message>
    <message>
        <source>The folder “%1” does not exist.</source>
        <translation>The folder “%1” does not exist.</translation>
    </message>
    <message>
        <source>“%1” already exists. Choose another name.</source>
        <translation>“%1” already exists. Choose another name.</translation>
    </message>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4 video (*.mp4)</translation>
    </message>
    <message>
        <source>Length: %1 s, recordings: %2</source>
        <translation>Length: %1 s, recordings: %2</translation>
    </message>
    <message>
        <source>Write an incident report (PDF) beside the video</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::MainWindowController</name>
    <message>
        <source>Show or hide the recording lists</source>
        <translation>Show or hide the recording lists</translation>
    </message>
    <message>
        <source>Show or hide the rear camera</source>
        <translation>Show or hide the rear camera</translation>
    </message>
    <message>
        <source>Play two cards in step, led by this window</source>
        <translation>Play two cards in step, led by this window</translation>
    </message>
    <message>
        <source>Ctrl+H</source>
        <translation>Ctrl+H</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>New Window</translation>
    </message>
    <message>
        <source>Open Card…</source>
        <translation>Open Card…</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>Open Recent</translation>
    </message>
    <message>
        <source>No Recent</source>
        <translation>No Recent</translation>
    </message>
    <message>
        <source>Clear Menu</source>
        <translation>Clear Menu</translation>
    </message>
    <message>
        <source>Back Up Selected Recordings…</source>
        <translation>Back Up Selected Recordings…</translation>
    </message>
    <message>
        <source>Ctrl+B</source>
        <translation>Ctrl+B</translation>
    </message>
    <message>
        <source>Export KML/KMZ…</source>
        <translation>Export KML/KMZ…</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>Close Window</source>
        <translation>Close Window</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>Show/Hide Recording Lists</source>
        <translation>Show/Hide Recording Lists</translation>
    </message>
    <message>
        <source>Ctrl+Alt+S</source>
        <translation>Ctrl+Alt+S</translation>
    </message>
    <message>
        <source>Players Only</source>
        <translation>Players Only</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation>Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>Show/Hide Graph</source>
        <translation>Show/Hide Graph</translation>
    </message>
    <message>
        <source>Ctrl+Alt+G</source>
        <translation>Ctrl+Alt+G</translation>
    </message>
    <message>
        <source>Show/Hide Rear Camera</source>
        <translation>Show/Hide Rear Camera</translation>
    </message>
    <message>
        <source>Ctrl+Alt+R</source>
        <translation>Ctrl+Alt+R</translation>
    </message>
    <message>
        <source>Show Playing Recording</source>
        <translation>Show Playing Recording</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>&amp;Playback</translation>
    </message>
    <message>
        <source>Play/Pause</source>
        <translation>Play/Pause</translation>
    </message>
    <message>
        <source>Back 5 Seconds</source>
        <translation>Back 5 Seconds</translation>
    </message>
    <message>
        <source>Forward 5 Seconds</source>
        <translation>Forward 5 Seconds</translation>
    </message>
    <message>
        <source>Previous Recording</source>
        <translation>Previous Recording</translation>
    </message>
    <message>
        <source>Next Recording</source>
        <translation>Next Recording</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>Ctrl+M</source>
        <translation>Ctrl+M</translation>
    </message>
    <message>
        <source>Synchronization canceled.</source>
        <translation>Synchronization canceled.</translation>
    </message>
    <message>
        <source>Select the media to play or synchronize.</source>
        <translation>Select the media to play or synchronize.</translation>
    </message>
    <message>
        <source>No Volumes</source>
        <translation>No Volumes</translation>
    </message>
    <message>
        <source>Mounted Volumes</source>
        <translation>Mounted Volumes</translation>
    </message>
    <message>
        <source>Recents</source>
        <translation>Recents</translation>
    </message>
    <message>
        <source>Camera Settings…</source>
        <translation>Camera Settings…</translation>
    </message>
    <message>
        <source>Could not write to the configuration file</source>
        <translation>Could not write to the configuration file</translation>
    </message>
    <message>
        <source>saved the setting</source>
        <translation>saved the setting</translation>
    </message>
    <message>
        <source>%1 (open card)</source>
        <translation>%1 (open card)</translation>
    </message>
    <message>
        <source>Failed to load configuration file</source>
        <translation>Failed to load configuration file</translation>
    </message>
    <message>
        <source>Apply the default settings</source>
        <translation>Apply the default settings</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Ctrl+,</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Preferences…</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>Export Video…</translation>
    </message>
    <message>
        <source>Ctrl+Shift+E</source>
        <translation>Ctrl+Shift+E</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>User Guide</source>
        <translation>User Guide</translation>
    </message>
    <message>
        <source>Recording lists</source>
        <translation>Recording lists</translation>
    </message>
    <message>
        <source>Open a card</source>
        <translation>Open a card</translation>
    </message>
    <message>
        <source>Play two cards in step</source>
        <translation>Play two cards in step</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>Rear camera</translation>
    </message>
    <message>
        <source>Lists</source>
        <translation>Lists</translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify Backup…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Card Info…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ctrl+I</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Times Corrected by GPS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next Driving Event</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Previous Driving Event</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No driving events on this card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No later driving event.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No earlier driving event.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera Clock</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the times corrected by it? The file names do not change.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Corrected Times</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Camera Times</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::MapView</name>
    <message>
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Trace Current Location</source>
        <translation>Trace Current Location</translation>
    </message>
    <message>
        <source>Show Routes</source>
        <translation>Show Routes</translation>
    </message>
    <message>
        <source>Show Recordings</source>
        <translation>Show Recordings</translation>
    </message>
    <message>
        <source>Show Events</source>
        <translation>Show Events</translation>
    </message>
    <message>
        <source>Show Current Location</source>
        <translation>Show Current Location</translation>
    </message>
    <message>
        <source>Map Tiles</source>
        <translation>Map Tiles</translation>
    </message>
    <message>
        <source>Built-in World Map</source>
        <translation>Built-in World Map</translation>
    </message>
    <message>
        <source>OpenStreetMap (Online)</source>
        <translation>OpenStreetMap (Online)</translation>
    </message>
    <message>
        <source>MBTiles File…</source>
        <translation>MBTiles File…</translation>
    </message>
    <message>
        <source>Tile Folder…</source>
        <translation>Tile Folder…</translation>
    </message>
    <message>
        <source>Choose an MBTiles File</source>
        <translation>Choose an MBTiles File</translation>
    </message>
    <message>
        <source>MBTiles files (*.mbtiles);;All files (*)</source>
        <translation>MBTiles files (*.mbtiles);;All files (*)</translation>
    </message>
    <message>
        <source>Choose a Folder of Tiles ({z}/{x}/{y}.png)</source>
        <translation>Choose a Folder of Tiles ({z}/{x}/{y}.png)</translation>
    </message>
    <message>
        <source>The built-in map is shown.</source>
        <translation>The built-in map is shown.</translation>
    </message>
    <message>
        <source>Colour Route by Speed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::MbTilesSource</name>
    <message>
        <source>The tile file cannot be read.</source>
        <translation>The tile file cannot be read.</translation>
    </message>
    <message>
        <source>The tile file is not an MBTiles file (not an SQLite database).</source>
        <translation>The tile file is not an MBTiles file (not an SQLite database).</translation>
    </message>
    <message>
        <source>MBTiles files cannot be read: the SQLite driver of Qt is not installed.</source>
        <translation>MBTiles files cannot be read: the SQLite driver of Qt is not installed.</translation>
    </message>
    <message>
        <source>The tile file cannot be opened.</source>
        <translation>The tile file cannot be opened.</translation>
    </message>
    <message>
        <source>The tile file has no tiles table.</source>
        <translation>The tile file has no tiles table.</translation>
    </message>
    <message>
        <source>The tile file holds vector tiles (%1); only picture tiles can be shown.</source>
        <translation>The tile file holds vector tiles (%1); only picture tiles can be shown.</translation>
    </message>
</context>
<context>
    <name>dashcard::MediaController</name>
    <message>
        <source>An error occurred when writing data</source>
        <translation>An error occurred when writing data</translation>
    </message>
    <message>
        <source>KML/KMZ export is complete</source>
        <translation>KML/KMZ export is complete</translation>
    </message>
    <message>
        <source>An error occurred during backup</source>
        <translation>An error occurred during backup</translation>
    </message>
    <message>
        <source>Backup is complete</source>
        <translation>Backup is complete</translation>
    </message>
    <message>
        <source>The video could not be exported: %1</source>
        <translation>The video could not be exported: %1</translation>
    </message>
    <message>
        <source>Video export is complete</source>
        <translation>Video export is complete</translation>
    </message>
    <message>
        <source>Choose a folder for the repaired copies.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder “%1” cannot be written to.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The repaired copies cannot go on the card: choose a folder elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>None of the chosen recordings is damaged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not everything could be repaired:
%1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Repair is complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playback stopped: no other recording in this list can be played (%1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Playback stopped: %1 recordings in a row could not be played, the last %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::MyDocument</name>
    <message>
        <source>The folder “%1” does not exist or cannot be read.</source>
        <translation>The folder “%1” does not exist or cannot be read.</translation>
    </message>
    <message>
        <source>“%1” is not a camera card: it has no recording folders.</source>
        <translation>“%1” is not a camera card: it has no recording folders.</translation>
    </message>
</context>
<context>
    <name>dashcard::MyDocumentController</name>
    <message>
        <source>Open Card</source>
        <translation>Open Card</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>The card “%1” could not be opened.</source>
        <translation>The card “%1” could not be opened.</translation>
    </message>
</context>
<context>
    <name>dashcard::OnlineTileSource</name>
    <message>
        <source>The tile address must hold {z}, {x} and {y}.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tile address must start with http:// or https:// and name a server.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server gave no tile: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The server&apos;s answer is not a map tile picture.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::PathControl</name>
    <message>
        <source>Open a card</source>
        <translation>Open a card</translation>
    </message>
    <message>
        <source>No card opened</source>
        <translation>No card opened</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
</context>
<context>
    <name>dashcard::PlayerInlineControls</name>
    <message>
        <source>Play/Pause</source>
        <translation>Play/Pause</translation>
    </message>
</context>
<context>
    <name>dashcard::PreferencesDialog</name>
    <message>
        <source> thumbnails</source>
        <translation> thumbnails</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>Built-in World Map</source>
        <translation>Built-in World Map</translation>
    </message>
    <message>
        <source>By the system&apos;s language</source>
        <translation>By the system&apos;s language</translation>
    </message>
    <message>
        <source>Choose a Folder of Tiles</source>
        <translation>Choose a Folder of Tiles</translation>
    </message>
    <message>
        <source>Choose an MBTiles File</source>
        <translation>Choose an MBTiles File</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>MBTiles File</source>
        <translation>MBTiles File</translation>
    </message>
    <message>
        <source>MBTiles files (*.mbtiles);;All files (*)</source>
        <translation>MBTiles files (*.mbtiles);;All files (*)</translation>
    </message>
    <message>
        <source>Map file or folder:</source>
        <translation>Map file or folder:</translation>
    </message>
    <message>
        <source>Map:</source>
        <translation>Map:</translation>
    </message>
    <message>
        <source>OpenGL</source>
        <translation>OpenGL</translation>
    </message>
    <message>
        <source>OpenStreetMap (Online)</source>
        <translation>OpenStreetMap (Online)</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>Speed unit:</source>
        <translation>Speed unit:</translation>
    </message>
    <message>
        <source>Thumbnail cache limit:</source>
        <translation>Thumbnail cache limit:</translation>
    </message>
    <message>
        <source>Tile Folder</source>
        <translation>Tile Folder</translation>
    </message>
    <message>
        <source>Used by the video panes of windows opened afterwards.</source>
        <translation>Used by the video panes of windows opened afterwards.</translation>
    </message>
    <message>
        <source>Video drawing:</source>
        <translation>Video drawing:</translation>
    </message>
    <message>
        <source>km/h</source>
        <translation>km/h</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>The address of one tile, with {z}, {x} and {y} where the zoom and the tile&apos;s column and row go. It is tried before it is kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tile server:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>© OpenStreetMap contributors</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shown on the map, as the tiles&apos; licence asks.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tile credit:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trying the tile server…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> g</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A pause between recordings longer than this starts a new trip.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Trip gap:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deceleration at or above this is hard braking.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hard braking:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acceleration at or above this is hard acceleration.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hard acceleration:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sideways force at or above this is sharp cornering.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sharp cornering:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shorter jolts (a pothole, a door) are not driving events.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shortest driving event:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A camera clock further than this from GPS time is pointed out once per card.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clock check:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Decode with the graphics hardware when it can</source>
        <translation>Decode with the graphics hardware when it can</translation>
    </message>
    <message>
        <source>Used by the players of windows opened afterwards and by side-by-side exports. Without a graphics device that decodes video, decoding stays in software.</source>
        <translation>Used by the players of windows opened afterwards and by side-by-side exports. Without a graphics device that decodes video, decoding stays in software.</translation>
    </message>
    <message>
        <source>Hardware decoding:</source>
        <translation>Hardware decoding:</translation>
    </message>
</context>
<context>
    <name>dashcard::ProgressViewController</name>
    <message>
        <source>Progress</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Failed</translation>
    </message>
</context>
<context>
    <name>dashcard::SDCardLoadProgressViewController</name>
    <message>
        <source>Loading file.</source>
        <translation>Loading file.</translation>
    </message>
    <message>
        <source>Please wait.</source>
        <translation>Please wait.</translation>
    </message>
</context>
<context>
    <name>dashcard::SDCardLoadProgressWindowController</name>
    <message>
        <source>Loading</source>
        <translation>Loading</translation>
    </message>
</context>
<context>
    <name>dashcard::SelectRemovableDiskViewController</name>
    <message>
        <source>Camera Settings</source>
        <translation>Camera Settings</translation>
    </message>
    <message>
        <source>Select the card whose camera settings to edit.</source>
        <translation>Select the card whose camera settings to edit.</translation>
    </message>
    <message>
        <source>No card selected</source>
        <translation>No card selected</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>dashcard::TabViewController</name>
    <message>
        <source>Recordings</source>
        <translation>Recordings</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Events</translation>
    </message>
    <message>
        <source>Photos</source>
        <translation>Photos</translation>
    </message>
    <message>
        <source>Trips</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::TripListView</name>
    <message>
        <source>Trip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Distance</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Events</source>
        <translation type="unfinished">Events</translation>
    </message>
    <message>
        <source>Trip %1: %2, %3 min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 km</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 to %2 (%3)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 g</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge with Previous Trip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Merge with Next Trip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split Trip Here</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>dashcard::UserGuideWindow</name>
    <message>
        <source>Dashcard User Guide</source>
        <translation>Dashcard User Guide</translation>
    </message>
    <message>
        <source>User guide</source>
        <translation>User guide</translation>
    </message>
    <message>
        <source># User Guide

The guide was not installed with this copy of Dashcard (it belongs in `share/dashcard/user-guide.md`).</source>
        <translation># User Guide

The guide was not installed with this copy of Dashcard (it belongs in `share/dashcard/user-guide.md`).</translation>
    </message>
</context>
<context>
    <name>dashcard::WorldMapSource</name>
    <message>
        <source>Natural Earth</source>
        <translation>Natural Earth</translation>
    </message>
</context>
<context>
    <name>dashcard::ZoomPlayerSplitViewController</name>
    <message>
        <source>Front camera</source>
        <translation>Front camera</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>Rear camera</translation>
    </message>
</context>
<context>
    <name>dashcard::ZoomPlayerViewController</name>
    <message>
        <source>Whole picture</source>
        <translation>Whole picture</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>Top left</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>Top right</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>Bottom left</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>Bottom right</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>Playback speed</source>
        <translation>Playback speed</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>Mirror</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>No picture to capture</source>
        <translation>No picture to capture</translation>
    </message>
    <message>
        <source>Save Picture</source>
        <translation>Save Picture</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
