<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>DCFAsyncKMLBuilder</name>
    <message>
        <source>MANUAL RECORD</source>
        <translation>手動録画</translation>
    </message>
    <message>
        <source>PARKING RECORD</source>
        <translation>駐車録画</translation>
    </message>
    <message>
        <source>EVENT RECORD</source>
        <translation>イベント録画</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>DATE/TIME: %1&lt;br&gt;</source>
        <translation>日時: %1&lt;br&gt;</translation>
    </message>
    <message>
        <source>EVENT: %1&lt;br&gt;</source>
        <translation>イベント: %1&lt;br&gt;</translation>
    </message>
    <message>
        <source>LAT.: %1&lt;br&gt;LONG.: %2&lt;br&gt;</source>
        <translation>緯度: %1&lt;br&gt;経度: %2&lt;br&gt;</translation>
    </message>
    <message>
        <source>SPD: %1 mph&lt;br&gt;</source>
        <translation>速度: %1 mph&lt;br&gt;</translation>
    </message>
    <message>
        <source>SPD: %1 km/h&lt;br&gt;</source>
        <translation>速度: %1 km/h&lt;br&gt;</translation>
    </message>
    <message>
        <source>DIRECTION: %1 °</source>
        <translation>方位: %1 °</translation>
    </message>
    <message>
        <source>ROUTE</source>
        <translation>ルート</translation>
    </message>
    <message>
        <source>An export is already running.</source>
        <translation>エクスポートはすでに実行中です。</translation>
    </message>
    <message>
        <source>There are no recordings to export.</source>
        <translation>エクスポートする録画がありません。</translation>
    </message>
</context>
<context>
    <name>DCFAsyncParser</name>
    <message>
        <source>Rear video: %1</source>
        <translation>リアビデオ: %1</translation>
    </message>
</context>
<context>
    <name>DriveSupportData</name>
    <message>
        <source>発進遅れ</source>
        <translation>発進遅れ</translation>
    </message>
    <message>
        <source>左車線注意</source>
        <translation>左車線注意</translation>
    </message>
    <message>
        <source>右車線注意</source>
        <translation>右車線注意</translation>
    </message>
    <message>
        <source>衝突注意</source>
        <translation>衝突注意</translation>
    </message>
</context>
<context>
    <name>DrivingEvent</name>
    <message>
        <source>Hard braking</source>
        <translation>急ブレーキ</translation>
    </message>
    <message>
        <source>Hard acceleration</source>
        <translation>急加速</translation>
    </message>
    <message>
        <source>Sharp cornering</source>
        <translation>急ハンドル</translation>
    </message>
</context>
<context>
    <name>Localizable</name>
    <message>
        <source>EVENT RECORD</source>
        <translation>イベント録画</translation>
    </message>
    <message>
        <source>MANUAL RECORD</source>
        <translation>手動録画</translation>
    </message>
    <message>
        <source>PARKING RECORD</source>
        <translation>駐車録画</translation>
    </message>
    <message>
        <source>Chatham Islands (UTC+12:45/UTC+13:45)</source>
        <translation>チャタム諸島 (UTC+12:45/UTC+13:45)</translation>
    </message>
    <message>
        <source>Chatham Islands (UTC+12:45)</source>
        <translation>チャタム諸島 (UTC+12:45)</translation>
    </message>
    <message>
        <source>New Zealand (UTC+12:00/UTC+13:00)</source>
        <translation>ニュージーランド (UTC+12:00/UTC+13:00)</translation>
    </message>
    <message>
        <source>New Zealand (UTC+12:00)</source>
        <translation>ニュージーランド (UTC+12:00)</translation>
    </message>
    <message>
        <source>Lord Howe (UTC+10:30/UTC+11:00)</source>
        <translation>ロード・ハウ島 (UTC+10:30/UTC+11:00)</translation>
    </message>
    <message>
        <source>Lord Howe (UTC+10:30)</source>
        <translation>ロード・ハウ島 (UTC+10:30)</translation>
    </message>
    <message>
        <source>Eastern Australia (UTC+10:00/UTC+11:00)</source>
        <translation>オーストラリア東部 (UTC+10:00/UTC+11:00)</translation>
    </message>
    <message>
        <source>Eastern Australia (UTC+10:00)</source>
        <translation>オーストラリア東部 (UTC+10:00)</translation>
    </message>
    <message>
        <source>Central Australia (UTC+09:30/UTC+10:30)</source>
        <translation>オーストラリア中部 (UTC+09:30/UTC+10:30)</translation>
    </message>
    <message>
        <source>Central Australia (UTC+09:30)</source>
        <translation>オーストラリア中部 (UTC+09:30)</translation>
    </message>
    <message>
        <source>Western Australia (UTC+08:00)</source>
        <translation>オーストラリア西部 (UTC+08:00)</translation>
    </message>
    <message>
        <source>Japan (UTC+09:00)</source>
        <translation>日本 (UTC+09:00)</translation>
    </message>
    <message>
        <source>China (UTC+08:00)</source>
        <translation>中国 (UTC+08:00)</translation>
    </message>
    <message>
        <source>Coordinated Universal Time (UTC)</source>
        <translation>協定世界時 (UTC)</translation>
    </message>
    <message>
        <source>Newfoundland (UTC-03:30/UTC-02:30)</source>
        <translation>ニューファンドランド (UTC-03:30/UTC-02:30)</translation>
    </message>
    <message>
        <source>Newfoundland (UTC-03:30)</source>
        <translation>ニューファンドランド (UTC-03:30)</translation>
    </message>
    <message>
        <source>Atlantic (UTC-04:00/UTC-03:00)</source>
        <translation>大西洋 (UTC-04:00/UTC-03:00)</translation>
    </message>
    <message>
        <source>Atlantic (UTC-04:00)</source>
        <translation>大西洋 (UTC-04:00)</translation>
    </message>
    <message>
        <source>Eastern USA (UTC-05:00/UTC-04:00)</source>
        <translation>米国東部 (UTC-05:00/UTC-04:00)</translation>
    </message>
    <message>
        <source>Eastern USA (UTC-05:00)</source>
        <translation>米国東部 (UTC-05:00)</translation>
    </message>
    <message>
        <source>Central USA (UTC-06:00/UTC-05:00)</source>
        <translation>米国中部 (UTC-06:00/UTC-05:00)</translation>
    </message>
    <message>
        <source>Central USA (UTC-06:00)</source>
        <translation>米国中部 (UTC-06:00)</translation>
    </message>
    <message>
        <source>Mountian USA (UTC-07:00/UTC-06:00)</source>
        <translation>米国山岳部 (UTC-07:00/UTC-06:00)</translation>
    </message>
    <message>
        <source>Mountian USA (UTC-07:00)</source>
        <translation>米国山岳部 (UTC-07:00)</translation>
    </message>
    <message>
        <source>Western USA (UTC-08:00/UTC-07:00)</source>
        <translation>米国西部 (UTC-08:00/UTC-07:00)</translation>
    </message>
    <message>
        <source>Western USA (UTC-08:00)</source>
        <translation>米国西部 (UTC-08:00)</translation>
    </message>
    <message>
        <source>Alaska (UTC-09:00/UTC-08:00)</source>
        <translation>アラスカ (UTC-09:00/UTC-08:00)</translation>
    </message>
    <message>
        <source>Alaska (UTC-09:00)</source>
        <translation>アラスカ (UTC-09:00)</translation>
    </message>
    <message>
        <source>Hawaii (UTC-10:00/UTC-9:00)</source>
        <translation>ハワイ (UTC-10:00/UTC-9:00)</translation>
    </message>
    <message>
        <source>Hawaii (UTC-10:00)</source>
        <translation>ハワイ (UTC-10:00)</translation>
    </message>
</context>
<context>
    <name>RyndStrings</name>
    <message>
        <source>TEXT_APP_MENU_ABOUT_APP</source>
        <translation>Dashcard について</translation>
    </message>
    <message>
        <source>TEXT_APP_MENU_HIDE_APP</source>
        <translation>Dashcard を隠す</translation>
    </message>
    <message>
        <source>TEXT_APP_MENU_QUIT_APP</source>
        <translation>Dashcard を終了</translation>
    </message>
</context>
<context>
    <name>dashcard</name>
    <message>
        <source>The reference %1 cannot serve: %2</source>
        <translation>参照ファイル %1 は使えません: %2</translation>
    </message>
    <message>
        <source>it has no index.</source>
        <translation>インデックスがありません。</translation>
    </message>
    <message>
        <source>its media data is larger than the file.</source>
        <translation>メディアデータがファイルより大きくなっています。</translation>
    </message>
    <message>
        <source>it has no video.</source>
        <translation>ビデオがありません。</translation>
    </message>
    <message>
        <source>its index points outside the file.</source>
        <translation>インデックスがファイルの外を指しています。</translation>
    </message>
    <message>
        <source>its video is %1, not H.264 or H.265.</source>
        <translation>ビデオが %1 で、H.264 でも H.265 でもありません。</translation>
    </message>
    <message>
        <source>its video reorders frames (B-frames), which a rebuild cannot time.</source>
        <translation>ビデオがフレームを並べ替えています(Bフレーム)。修復では時刻を決められません。</translation>
    </message>
    <message>
        <source>its video set-up is cut short.</source>
        <translation>ビデオの設定が途中で切れています。</translation>
    </message>
    <message>
        <source>its video set-up is missing.</source>
        <translation>ビデオの設定がありません。</translation>
    </message>
    <message>
        <source>its video set-up is invalid.</source>
        <translation>ビデオの設定が無効です。</translation>
    </message>
    <message>
        <source>its video has no timing.</source>
        <translation>ビデオに時刻情報がありません。</translation>
    </message>
    <message>
        <source>its sound set-up is missing.</source>
        <translation>音声の設定がありません。</translation>
    </message>
</context>
<context>
    <name>dashcard::AboutBox</name>
    <message>
        <source>&lt;h3&gt;Dashcard %1&lt;/h3&gt;&lt;p&gt;A viewer for the memory card of a vehicle camera.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Dashcard %1&lt;/h3&gt;&lt;p&gt;ドライブレコーダーのメモリーカードのビューア。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).&lt;/p&gt;</source>
        <translation>&lt;p&gt;ライセンス：GNU 一般公衆利用許諾書 バージョン 3 またはそれ以降（GPL-3.0-or-later）。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Built-in world map: Natural Earth (public domain, naturalearthdata.com).&lt;/p&gt;</source>
        <translation>&lt;p&gt;内蔵の世界地図：Natural Earth（パブリックドメイン、naturalearthdata.com）。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Online map tiles: © OpenStreetMap contributors (openstreetmap.org/copyright).&lt;/p&gt;</source>
        <translation>&lt;p&gt;オンライン地図タイル：© OpenStreetMap contributors（openstreetmap.org/copyright）。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>built-in world map</source>
        <translation>内蔵の世界地図</translation>
    </message>
    <message>
        <source>public domain</source>
        <translation>パブリックドメイン</translation>
    </message>
    <message>
        <source>town names of trips</source>
        <translation>トリップの町名</translation>
    </message>
    <message>
        <source>windows, files, network, SQLite map files</source>
        <translation>ウィンドウ、ファイル、ネットワーク、SQLite 地図ファイル</translation>
    </message>
    <message>
        <source>video playback</source>
        <translation>ビデオ再生</translation>
    </message>
    <message>
        <source>thumbnails, stills, video export</source>
        <translation>サムネイル、静止画、ビデオ書き出し</translation>
    </message>
    <message>
        <source>H.264 encoding of side-by-side exports</source>
        <translation>並べて表示する書き出しの H.264 エンコード</translation>
    </message>
    <message>
        <source>GPS position in pictures</source>
        <translation>画像の GPS 位置</translation>
    </message>
    <message>
        <source>dates in the language&apos;s styles</source>
        <translation>言語に合わせた日付の表記</translation>
    </message>
    <message>
        <source>KMZ files</source>
        <translation>KMZ ファイル</translation>
    </message>
    <message>
        <source>SHA-256 of backups and incident reports</source>
        <translation>バックアップとインシデントレポートの SHA-256</translation>
    </message>
    <message>
        <source>inserted cards</source>
        <translation>挿入されたカード</translation>
    </message>
    <message>
        <source>MBTiles map files</source>
        <translation>MBTiles 地図ファイル</translation>
    </message>
    <message>
        <source>&lt;p&gt;Online map tiles: %1&lt;/p&gt;</source>
        <translation>&lt;p&gt;オンライン地図タイル: %1&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Made with these data sets and libraries:&lt;/p&gt;</source>
        <translation>&lt;p&gt;使用しているデータセットとライブラリ:&lt;/p&gt;</translation>
    </message>
    <message>
        <source>speed colours of routes</source>
        <translation>ルートの速度の色</translation>
    </message>
    <message>
        <source>&lt;p&gt;Video decoding: %1&lt;/p&gt;</source>
        <translation>&lt;p&gt;ビデオのデコード: %1&lt;/p&gt;</translation>
    </message>
    <message>
        <source>software</source>
        <translation>ソフトウェア</translation>
    </message>
    <message>
        <source>hardware (%1)</source>
        <translation>ハードウェア (%1)</translation>
    </message>
</context>
<context>
    <name>dashcard::CardInfoDialog</name>
    <message>
        <source>%1 h</source>
        <translation>%1 時間</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 分</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 秒</translation>
    </message>
    <message>
        <source>No recording has a GPS fix: the camera&apos;s clock cannot be checked.</source>
        <translation>GPS の測位がある録画がないため、カメラの時計を確認できません。</translation>
    </message>
    <message>
        <source>The camera&apos;s clock matches GPS time within a second.</source>
        <translation>カメラの時計は GPS 時刻と 1 秒以内で一致しています。</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 ahead of GPS time.</source>
        <translation>カメラの時計は GPS 時刻より %1 進んでいます。</translation>
    </message>
    <message>
        <source>The camera&apos;s clock is %1 behind GPS time.</source>
        <translation>カメラの時計は GPS 時刻より %1 遅れています。</translation>
    </message>
    <message>
        <source>Card Info</source>
        <translation>カードの情報</translation>
    </message>
    <message>
        <source>Card:</source>
        <translation>カード:</translation>
    </message>
    <message>
        <source>Identity:</source>
        <translation>識別:</translation>
    </message>
    <message>
        <source>Recordings:</source>
        <translation>録画:</translation>
    </message>
    <message>
        <source>%1 (%2 event, %3 parking)</source>
        <translation>%1（イベント %2、駐車 %3）</translation>
    </message>
    <message>
        <source>Recorded:</source>
        <translation>録画期間:</translation>
    </message>
    <message>
        <source>%1 to %2 (camera clock)</source>
        <translation>%1 〜 %2（カメラの時計）</translation>
    </message>
    <message>
        <source>Camera time zone:</source>
        <translation>カメラのタイムゾーン:</translation>
    </message>
    <message>
        <source>Trips:</source>
        <translation>走行:</translation>
    </message>
    <message>
        <source>%1, %2 km</source>
        <translation>%1 件、%2 km</translation>
    </message>
    <message>
        <source>Driving events:</source>
        <translation>運転イベント:</translation>
    </message>
    <message>
        <source>%1 hard braking, %2 hard acceleration, %3 sharp cornering</source>
        <translation>急ブレーキ %1、急加速 %2、急ハンドル %3</translation>
    </message>
    <message>
        <source>Clock:</source>
        <translation>時計:</translation>
    </message>
    <message>
        <source>Still reading the telemetry…</source>
        <translation>走行データを読み込み中…</translation>
    </message>
    <message>
        <source>Clock check threshold:</source>
        <translation>時計の確認のしきい値:</translation>
    </message>
    <message>
        <source>Show times corrected by the clock&apos;s offset</source>
        <translation>時計のずれで補正した時刻を表示</translation>
    </message>
    <message>
        <source>The lists and readouts show the camera&apos;s times minus the offset; the file names never change.</source>
        <translation>リストと表示はカメラの時刻からずれを引いた時刻になります。ファイル名は変わりません。</translation>
    </message>
</context>
<context>
    <name>dashcard::ClipHealth</name>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation>ファイルを読み込めません: %1。</translation>
    </message>
    <message>
        <source>The file is empty (0 bytes): nothing was recorded.</source>
        <translation>ファイルが空です(0 バイト): 何も記録されていません。</translation>
    </message>
    <message>
        <source>This is not a recognisable MP4 video.</source>
        <translation>認識できる MP4 ビデオではありません。</translation>
    </message>
    <message>
        <source>The file holds neither video data nor an index.</source>
        <translation>ファイルにビデオデータもインデックスもありません。</translation>
    </message>
    <message>
        <source>No index: the recording was cut off (power loss) before the camera closed it.</source>
        <translation>インデックスがありません: カメラが閉じる前に記録が途切れました(電源断)。</translation>
    </message>
    <message>
        <source>The index is too large to be a camera&apos;s.</source>
        <translation>インデックスがカメラのものとしては大きすぎます。</translation>
    </message>
    <message>
        <source>The index is damaged: %1.</source>
        <translation>インデックスが壊れています: %1。</translation>
    </message>
    <message>
        <source>Cut short: %1 of %2 seconds play.</source>
        <translation>途中で切れています: %2 秒のうち %1 秒が再生できます。</translation>
    </message>
</context>
<context>
    <name>dashcard::ClipRebuilder</name>
    <message>
        <source>Cannot read %1: %2.</source>
        <translation>%1 を読み込めません: %2。</translation>
    </message>
    <message>
        <source>The repaired copy cannot replace the damaged video itself.</source>
        <translation>修復したコピーで破損したビデオそのものを置き換えることはできません。</translation>
    </message>
    <message>
        <source>%1 is empty: nothing was recorded, nothing can be recovered.</source>
        <translation>%1 は空です: 何も記録されておらず、復元できるものはありません。</translation>
    </message>
    <message>
        <source>%1 holds no video data that could be recovered.</source>
        <translation>%1 には復元できるビデオデータがありません。</translation>
    </message>
    <message>
        <source>No healthy clip of the same camera lies beside %1 to serve as reference; name one.</source>
        <translation>%1 の隣に参照として使える同じカメラの正常なクリップがありません。参照ファイルを指定してください。</translation>
    </message>
    <message>
        <source>The sound of the reference cannot be decoded.</source>
        <translation>参照ファイルの音声をデコードできません。</translation>
    </message>
    <message>
        <source>Cancelled.</source>
        <translation>キャンセルしました。</translation>
    </message>
    <message>
        <source>%1 reorders frames (B-frames), which a rebuild cannot time: it was not repaired.</source>
        <translation>%1 はフレームを並べ替えています(Bフレーム)。修復では時刻を決められないため、修復しませんでした。</translation>
    </message>
    <message>
        <source>No complete %1 picture was found in %2: nothing was recorded, or the reference is of another camera or codec.</source>
        <translation>%2 に完全な %1 の画像が見つかりません: 何も記録されていないか、参照ファイルが別のカメラまたはコーデックのものです。</translation>
    </message>
    <message>
        <source>The reference %1 does not match %2 (another codec, picture size or set-up).</source>
        <translation>参照ファイル %1 は %2 と一致しません(コーデック、画像サイズ、または設定が異なります)。</translation>
    </message>
</context>
<context>
    <name>dashcard::CustomMapCalloutView</name>
    <message>
        <source>Play</source>
        <translation>再生</translation>
    </message>
</context>
<context>
    <name>dashcard::DCFInfoTableModel</name>
    <message>
        <source>Protected</source>
        <translation>保護</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>プレビュー</translation>
    </message>
    <message>
        <source>Name / Date</source>
        <translation>名前 / 日時</translation>
    </message>
</context>
<context>
    <name>dashcard::DCFListViewController</name>
    <message>
        <source>Back Up…</source>
        <translation>バックアップ…</translation>
    </message>
    <message>
        <source>Export KML/KMZ…</source>
        <translation>KML/KMZ 書き出し…</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>すべてを選択</translation>
    </message>
    <message>
        <source>Show Playing Recording</source>
        <translation>再生中の録画を表示</translation>
    </message>
    <message>
        <source>The folder “%1” already exists and is not empty. Choose another name.</source>
        <translation>フォルダ「%1」は既にあり、空ではありません。別の名前を選んでください。</translation>
    </message>
    <message>
        <source>“%1” already exists.</source>
        <translation>「%1」は既に存在します。</translation>
    </message>
    <message>
        <source>The free space of the target could not be read.</source>
        <translation>保存先の空き容量を読み取れませんでした。</translation>
    </message>
    <message>
        <source>There is not enough free space. Free size: %1, required size: %2.</source>
        <translation>空き容量が足りません。空き容量: %1、必要な容量: %2。</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>不明</translation>
    </message>
    <message>
        <source>Back Up</source>
        <translation>バックアップ</translation>
    </message>
    <message>
        <source>Execute</source>
        <translation>実行</translation>
    </message>
    <message>
        <source>Free size:</source>
        <translation>空き容量:</translation>
    </message>
    <message>
        <source>Required size:</source>
        <translation>必要な容量:</translation>
    </message>
    <message>
        <source>Choose a name ending in .kml or .kmz.</source>
        <translation>.kml または .kmz で終わる名前を選んでください。</translation>
    </message>
    <message>
        <source>“%1” is a folder.</source>
        <translation>「%1」はフォルダです。</translation>
    </message>
    <message>
        <source>Export KML/KMZ</source>
        <translation>KML/KMZ 書き出し</translation>
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
        <translation>ルート</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>ビデオ書き出し…</translation>
    </message>
    <message>
        <source>Event recordings</source>
        <translation>イベント録画</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>録画</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation>“%1”はカード上にあります。カードには何も書き込みません。別のフォルダを選んでください。</translation>
    </message>
    <message>
        <source>Playback Stopped</source>
        <translation>再生を停止しました</translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation>インシデントレポートを書き出す…</translation>
    </message>
    <message>
        <source>Repair…</source>
        <translation>修復…</translation>
    </message>
    <message>
        <source>Damaged Recording</source>
        <translation>損傷した録画</translation>
    </message>
    <message>
        <source>“%1” cannot be played: %2</source>
        <translation>“%1”は再生できません: %2</translation>
    </message>
    <message>
        <source>A playable copy can be rebuilt from what was recorded, without changing the card.</source>
        <translation>記録された内容から再生できるコピーを作り直せます。カードは変更しません。</translation>
    </message>
    <message>
        <source>Choose a Folder for the Repaired Copies</source>
        <translation>修復したコピーの保存先フォルダを選択</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>修復</translation>
    </message>
    <message numerus="yes">
        <source>%n repaired copies were written. Play them in place of the damaged videos until this window closes?</source>
        <translation>
            <numerusform>修復したコピーを %n 個書き出しました。このウィンドウを閉じるまで、破損したビデオの代わりに再生しますか?</numerusform>
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
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Camera Settings</source>
        <translation>カメラ設定</translation>
    </message>
    <message>
        <source>Video clip time per file</source>
        <translation>1ファイルの録画時間</translation>
    </message>
    <message>
        <source>30s</source>
        <translation>30秒</translation>
    </message>
    <message>
        <source>1min</source>
        <translation>1分</translation>
    </message>
    <message>
        <source>3min</source>
        <translation>3分</translation>
    </message>
    <message>
        <source>Impact level</source>
        <translation>衝撃検知感度</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Audio recording</source>
        <translation>音声録音</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>リアカメラ</translation>
    </message>
    <message>
        <source>Video quality</source>
        <translation>画質</translation>
    </message>
    <message>
        <source>FINE</source>
        <translation>高画質</translation>
    </message>
    <message>
        <source>NORMAL</source>
        <translation>標準</translation>
    </message>
    <message>
        <source>Time zone</source>
        <translation>タイムゾーン</translation>
    </message>
    <message>
        <source>Wireless LAN</source>
        <translation>無線LAN</translation>
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
        <translation>設定を初期化</translation>
    </message>
    <message>
        <source>Initialize and save the settings. Is it OK?</source>
        <translation>設定を初期化して保存します。よろしいですか？</translation>
    </message>
</context>
<context>
    <name>dashcard::EmptyCardView</name>
    <message>
        <source>Open the folder of a camera&apos;s card, or drop it on this window.</source>
        <translation>カメラのカードのフォルダを開くか、このウインドウにドロップしてください。</translation>
    </message>
    <message>
        <source>Open Card…</source>
        <translation>カードを開く…</translation>
    </message>
    <message>
        <source>Open a card</source>
        <translation>カードを開く</translation>
    </message>
    <message>
        <source>Inserted Cards</source>
        <translation>挿入されているカード</translation>
    </message>
    <message>
        <source>Recent Cards</source>
        <translation>最近使ったカード</translation>
    </message>
    <message>
        <source>This card holds no recordings.</source>
        <translation>このカードには録画がありません。</translation>
    </message>
    <message>
        <source>No card is open.</source>
        <translation>カードが開かれていません。</translation>
    </message>
    <message>
        <source>No card is inserted.</source>
        <translation>挿入されているカードはありません。</translation>
    </message>
    <message>
        <source>No recent cards.</source>
        <translation>最近使ったカードはありません。</translation>
    </message>
    <message>
        <source>Open %1</source>
        <translation>%1 を開く</translation>
    </message>
</context>
<context>
    <name>dashcard::EvidenceTasks</name>
    <message numerus="yes">
        <source>All %n file(s) match their SHA-256.</source>
        <translation>
            <numerusform>%n 個のファイルすべてが SHA-256 と一致しました。</numerusform>
        </translation>
    </message>
    <message>
        <source>Changed</source>
        <translation>変更あり</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>見つかりません</translation>
    </message>
    <message>
        <source>Not listed</source>
        <translation>一覧にありません</translation>
    </message>
    <message>
        <source>Unreadable</source>
        <translation>読み込めません</translation>
    </message>
    <message>
        <source>Malformed line</source>
        <translation>不正な行</translation>
    </message>
    <message numerus="yes">
        <source>…and %n more</source>
        <translation>
            <numerusform>…ほか %n 件</numerusform>
        </translation>
    </message>
    <message>
        <source>The backup differs from its SHA256SUMS:</source>
        <translation>バックアップが SHA256SUMS と異なります:</translation>
    </message>
    <message>
        <source>Verify Backup</source>
        <translation>バックアップを検証</translation>
    </message>
    <message>
        <source>The backup could not be checked: %1</source>
        <translation>バックアップを検証できませんでした: %1</translation>
    </message>
    <message>
        <source>Incident %1.pdf</source>
        <translation>インシデント %1.pdf</translation>
    </message>
    <message>
        <source>Export Incident Report</source>
        <translation>インシデントレポートを書き出す</translation>
    </message>
    <message>
        <source>PDF document (*.pdf)</source>
        <translation>PDF 文書 (*.pdf)</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation>“%1”はカード上にあります。カードには何も書き込みません。別のフォルダを選んでください。</translation>
    </message>
    <message>
        <source>Incident report is complete</source>
        <translation>インシデントレポートの書き出しが完了しました</translation>
    </message>
    <message>
        <source>The report could not be written: %1</source>
        <translation>レポートを書き出せませんでした: %1</translation>
    </message>
</context>
<context>
    <name>dashcard::FileTileSource</name>
    <message>
        <source>Own tiles</source>
        <translation>独自タイル</translation>
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
        <translation>加速度(G)</translation>
    </message>
    <message>
        <source>SPEED(mph)</source>
        <translation>速度(mph)</translation>
    </message>
    <message>
        <source>SPEED(km/h)</source>
        <translation>速度(km/h)</translation>
    </message>
    <message>
        <source>Speed: %1 %2</source>
        <translation>速度: %1 %2</translation>
    </message>
    <message>
        <source>Set Export Start Here</source>
        <translation>ここを書き出しの開始にする</translation>
    </message>
    <message>
        <source>Set Export End Here</source>
        <translation>ここを書き出しの終了にする</translation>
    </message>
    <message>
        <source>Clear Export Span</source>
        <translation>書き出し範囲を解除</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>ビデオ書き出し…</translation>
    </message>
    <message>
        <source>Speed and G-sensor graph</source>
        <translation>速度と G センサーのグラフ</translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation>インシデントレポートを書き出す…</translation>
    </message>
    <message>
        <source>%1: %2 g</source>
        <translation>%1: %2 g</translation>
    </message>
</context>
<context>
    <name>dashcard::IncidentExportDialog</name>
    <message>
        <source>Export Video</source>
        <translation>ビデオ書き出し</translation>
    </message>
    <message>
        <source>Front</source>
        <translation>フロント</translation>
    </message>
    <message>
        <source>Rear</source>
        <translation>リア</translation>
    </message>
    <message>
        <source>Front and Rear Side by Side</source>
        <translation>フロントとリアを左右に並べる</translation>
    </message>
    <message>
        <source>Cut exactly at the start and end (re-encodes the edges)</source>
        <translation>開始と終了で正確に切る（両端を再エンコード）</translation>
    </message>
    <message>
        <source>Burn in date, time and speed</source>
        <translation>日時と速度を映像に入れる</translation>
    </message>
    <message>
        <source>INCIDENT</source>
        <translation>INCIDENT</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>選択…</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>開始:</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>終了:</translation>
    </message>
    <message>
        <source>Camera:</source>
        <translation>カメラ:</translation>
    </message>
    <message>
        <source>Save as:</source>
        <translation>保存先:</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>The end must be after the start.</source>
        <translation>終了は開始より後にしてください。</translation>
    </message>
    <message>
        <source>No recording covers this span. Choose a start and an end within the card&apos;s recordings.</source>
        <translation>この範囲には録画がありません。カードの録画の範囲内で開始と終了を選んでください。</translation>
    </message>
    <message>
        <source>The recordings of this span have no rear video.</source>
        <translation>この範囲の録画にはリアの映像がありません。</translation>
    </message>
    <message>
        <source>Choose the file to save the video in.</source>
        <translation>ビデオを保存するファイルを選んでください。</translation>
    </message>
    <message>
        <source>“%1” is a folder.</source>
        <translation>「%1」はフォルダです。</translation>
    </message>
    <message>
        <source>The folder “%1” does not exist.</source>
        <translation>フォルダ「%1」は存在しません。</translation>
    </message>
    <message>
        <source>“%1” already exists. Choose another name.</source>
        <translation>「%1」はすでに存在します。別の名前を選んでください。</translation>
    </message>
    <message>
        <source>MP4 video (*.mp4)</source>
        <translation>MP4 ビデオ (*.mp4)</translation>
    </message>
    <message>
        <source>Length: %1 s, recordings: %2</source>
        <translation>長さ: %1 秒、録画: %2 件</translation>
    </message>
    <message>
        <source>Write an incident report (PDF) beside the video</source>
        <translation>ビデオの隣にインシデントレポート(PDF)を書き出す</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation>“%1”はカード上にあります。カードには何も書き込みません。別のフォルダを選んでください。</translation>
    </message>
</context>
<context>
    <name>dashcard::MainWindowController</name>
    <message>
        <source>Show or hide the recording lists</source>
        <translation>録画リストの表示/非表示</translation>
    </message>
    <message>
        <source>Show or hide the rear camera</source>
        <translation>リアカメラの表示/非表示</translation>
    </message>
    <message>
        <source>Play two cards in step, led by this window</source>
        <translation>このウインドウを基準に 2 枚のカードを同期再生</translation>
    </message>
    <message>
        <source>Ctrl+H</source>
        <translation>Ctrl+H</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>New Window</source>
        <translation>新規ウインドウ</translation>
    </message>
    <message>
        <source>Open Card…</source>
        <translation>カードを開く…</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>最近使ったカードを開く</translation>
    </message>
    <message>
        <source>No Recent</source>
        <translation>最近使った項目なし</translation>
    </message>
    <message>
        <source>Clear Menu</source>
        <translation>メニューを消去</translation>
    </message>
    <message>
        <source>Back Up Selected Recordings…</source>
        <translation>選択した録画をバックアップ…</translation>
    </message>
    <message>
        <source>Ctrl+B</source>
        <translation>Ctrl+B</translation>
    </message>
    <message>
        <source>Export KML/KMZ…</source>
        <translation>KML/KMZ 書き出し…</translation>
    </message>
    <message>
        <source>Ctrl+E</source>
        <translation>Ctrl+E</translation>
    </message>
    <message>
        <source>Close Window</source>
        <translation>ウインドウを閉じる</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>編集(&amp;E)</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>すべてを選択</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <source>Show/Hide Recording Lists</source>
        <translation>録画リストの表示/非表示</translation>
    </message>
    <message>
        <source>Ctrl+Alt+S</source>
        <translation>Ctrl+Alt+S</translation>
    </message>
    <message>
        <source>Players Only</source>
        <translation>プレーヤーのみ</translation>
    </message>
    <message>
        <source>Ctrl+Shift+F</source>
        <translation>Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>Show/Hide Graph</source>
        <translation>グラフの表示/非表示</translation>
    </message>
    <message>
        <source>Ctrl+Alt+G</source>
        <translation>Ctrl+Alt+G</translation>
    </message>
    <message>
        <source>Show/Hide Rear Camera</source>
        <translation>リアカメラの表示/非表示</translation>
    </message>
    <message>
        <source>Ctrl+Alt+R</source>
        <translation>Ctrl+Alt+R</translation>
    </message>
    <message>
        <source>Show Playing Recording</source>
        <translation>再生中の録画を表示</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Ctrl+L</translation>
    </message>
    <message>
        <source>&amp;Playback</source>
        <translation>再生(&amp;P)</translation>
    </message>
    <message>
        <source>Play/Pause</source>
        <translation>再生/一時停止</translation>
    </message>
    <message>
        <source>Back 5 Seconds</source>
        <translation>5 秒戻る</translation>
    </message>
    <message>
        <source>Forward 5 Seconds</source>
        <translation>5 秒進む</translation>
    </message>
    <message>
        <source>Previous Recording</source>
        <translation>前の録画</translation>
    </message>
    <message>
        <source>Next Recording</source>
        <translation>次の録画</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>ウインドウ(&amp;W)</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>しまう</translation>
    </message>
    <message>
        <source>Ctrl+M</source>
        <translation>Ctrl+M</translation>
    </message>
    <message>
        <source>Synchronization canceled.</source>
        <translation>同期再生を解除しました。</translation>
    </message>
    <message>
        <source>Select the media to play or synchronize.</source>
        <translation>再生または同期するメディアを選択してください。</translation>
    </message>
    <message>
        <source>No Volumes</source>
        <translation>ボリュームなし</translation>
    </message>
    <message>
        <source>Mounted Volumes</source>
        <translation>接続中のボリューム</translation>
    </message>
    <message>
        <source>Recents</source>
        <translation>最近使った項目</translation>
    </message>
    <message>
        <source>Camera Settings…</source>
        <translation>カメラ設定…</translation>
    </message>
    <message>
        <source>Could not write to the configuration file</source>
        <translation>設定ファイルに書き込めませんでした</translation>
    </message>
    <message>
        <source>saved the setting</source>
        <translation>設定を保存しました</translation>
    </message>
    <message>
        <source>%1 (open card)</source>
        <translation>%1（開いているカード）</translation>
    </message>
    <message>
        <source>Failed to load configuration file</source>
        <translation>設定ファイルの読み込みに失敗しました</translation>
    </message>
    <message>
        <source>Apply the default settings</source>
        <translation>初期設定を適用します</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Ctrl+,</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>環境設定…</translation>
    </message>
    <message>
        <source>Export Video…</source>
        <translation>ビデオ書き出し…</translation>
    </message>
    <message>
        <source>Ctrl+Shift+E</source>
        <translation>Ctrl+Shift+E</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>User Guide</source>
        <translation>ユーザーガイド</translation>
    </message>
    <message>
        <source>Recording lists</source>
        <translation>録画リスト</translation>
    </message>
    <message>
        <source>Open a card</source>
        <translation>カードを開く</translation>
    </message>
    <message>
        <source>Play two cards in step</source>
        <translation>2 枚のカードを同期再生</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>リアカメラ</translation>
    </message>
    <message>
        <source>Lists</source>
        <translation>リスト</translation>
    </message>
    <message>
        <source>Export Incident Report…</source>
        <translation>インシデントレポートを書き出す…</translation>
    </message>
    <message>
        <source>Verify Backup…</source>
        <translation>バックアップを検証…</translation>
    </message>
    <message>
        <source>Card Info…</source>
        <translation>カードの情報…</translation>
    </message>
    <message>
        <source>Ctrl+I</source>
        <translation>Ctrl+I</translation>
    </message>
    <message>
        <source>Times Corrected by GPS</source>
        <translation>GPS で補正した時刻</translation>
    </message>
    <message>
        <source>Next Driving Event</source>
        <translation>次の運転イベント</translation>
    </message>
    <message>
        <source>Previous Driving Event</source>
        <translation>前の運転イベント</translation>
    </message>
    <message>
        <source>No driving events on this card.</source>
        <translation>このカードに運転イベントはありません。</translation>
    </message>
    <message>
        <source>No later driving event.</source>
        <translation>これより後の運転イベントはありません。</translation>
    </message>
    <message>
        <source>No earlier driving event.</source>
        <translation>これより前の運転イベントはありません。</translation>
    </message>
    <message>
        <source>Camera Clock</source>
        <translation>カメラの時計</translation>
    </message>
    <message>
        <source>Show the times corrected by it? The file names do not change.</source>
        <translation>このずれで補正した時刻を表示しますか？ファイル名は変わりません。</translation>
    </message>
    <message>
        <source>Show Corrected Times</source>
        <translation>補正した時刻を表示</translation>
    </message>
    <message>
        <source>Keep Camera Times</source>
        <translation>カメラの時刻のまま</translation>
    </message>
</context>
<context>
    <name>dashcard::MapView</name>
    <message>
        <source>Map</source>
        <translation>地図</translation>
    </message>
    <message>
        <source>Trace Current Location</source>
        <translation>現在位置を追跡</translation>
    </message>
    <message>
        <source>Show Routes</source>
        <translation>ルートを表示</translation>
    </message>
    <message>
        <source>Show Recordings</source>
        <translation>録画を表示</translation>
    </message>
    <message>
        <source>Show Events</source>
        <translation>イベントを表示</translation>
    </message>
    <message>
        <source>Show Current Location</source>
        <translation>現在位置を表示</translation>
    </message>
    <message>
        <source>Map Tiles</source>
        <translation>地図タイル</translation>
    </message>
    <message>
        <source>Built-in World Map</source>
        <translation>内蔵の世界地図</translation>
    </message>
    <message>
        <source>OpenStreetMap (Online)</source>
        <translation>OpenStreetMap（オンライン）</translation>
    </message>
    <message>
        <source>MBTiles File…</source>
        <translation>MBTiles ファイル…</translation>
    </message>
    <message>
        <source>Tile Folder…</source>
        <translation>タイルフォルダ…</translation>
    </message>
    <message>
        <source>Choose an MBTiles File</source>
        <translation>MBTiles ファイルを選択</translation>
    </message>
    <message>
        <source>MBTiles files (*.mbtiles);;All files (*)</source>
        <translation>MBTiles ファイル (*.mbtiles);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Choose a Folder of Tiles ({z}/{x}/{y}.png)</source>
        <translation>タイルのフォルダを選択 ({z}/{x}/{y}.png)</translation>
    </message>
    <message>
        <source>The built-in map is shown.</source>
        <translation>内蔵の地図を表示します。</translation>
    </message>
    <message>
        <source>Colour Route by Speed</source>
        <translation>ルートを速度で色分け</translation>
    </message>
</context>
<context>
    <name>dashcard::MbTilesSource</name>
    <message>
        <source>The tile file cannot be read.</source>
        <translation>タイルファイルを読み込めません。</translation>
    </message>
    <message>
        <source>The tile file is not an MBTiles file (not an SQLite database).</source>
        <translation>タイルファイルは MBTiles ファイルではありません（SQLite データベースではありません）。</translation>
    </message>
    <message>
        <source>MBTiles files cannot be read: the SQLite driver of Qt is not installed.</source>
        <translation>MBTiles ファイルを読み込めません: Qt の SQLite ドライバがインストールされていません。</translation>
    </message>
    <message>
        <source>The tile file cannot be opened.</source>
        <translation>タイルファイルを開けません。</translation>
    </message>
    <message>
        <source>The tile file has no tiles table.</source>
        <translation>タイルファイルに tiles テーブルがありません。</translation>
    </message>
    <message>
        <source>The tile file holds vector tiles (%1); only picture tiles can be shown.</source>
        <translation>タイルファイルはベクタータイル (%1) です。表示できるのは画像タイルのみです。</translation>
    </message>
</context>
<context>
    <name>dashcard::MediaController</name>
    <message>
        <source>An error occurred when writing data</source>
        <translation>データの書き込み中にエラーが発生しました</translation>
    </message>
    <message>
        <source>KML/KMZ export is complete</source>
        <translation>KML/KMZ の書き出しが完了しました</translation>
    </message>
    <message>
        <source>An error occurred during backup</source>
        <translation>バックアップ中にエラーが発生しました</translation>
    </message>
    <message>
        <source>Backup is complete</source>
        <translation>バックアップが完了しました</translation>
    </message>
    <message>
        <source>The video could not be exported: %1</source>
        <translation>ビデオを書き出せませんでした: %1</translation>
    </message>
    <message>
        <source>Video export is complete</source>
        <translation>ビデオの書き出しが完了しました</translation>
    </message>
    <message>
        <source>Choose a folder for the repaired copies.</source>
        <translation>修復したコピーの保存先フォルダを選んでください。</translation>
    </message>
    <message>
        <source>The folder “%1” cannot be written to.</source>
        <translation>フォルダ“%1”に書き込めません。</translation>
    </message>
    <message>
        <source>The repaired copies cannot go on the card: choose a folder elsewhere.</source>
        <translation>修復したコピーはカードに置けません。別のフォルダを選んでください。</translation>
    </message>
    <message>
        <source>None of the chosen recordings is damaged.</source>
        <translation>選択した記録に破損したものはありません。</translation>
    </message>
    <message>
        <source>Not everything could be repaired:
%1</source>
        <translation>一部を修復できませんでした:
%1</translation>
    </message>
    <message>
        <source>Repair is complete</source>
        <translation>修復が完了しました</translation>
    </message>
    <message>
        <source>Playback stopped: no other recording in this list can be played (%1).</source>
        <translation>再生を停止しました: このリストには再生できる記録がほかにありません(%1)。</translation>
    </message>
    <message>
        <source>Playback stopped: %1 recordings in a row could not be played, the last %2.</source>
        <translation>再生を停止しました: %1 個の記録が続けて再生できませんでした。最後は %2 です。</translation>
    </message>
</context>
<context>
    <name>dashcard::MyDocument</name>
    <message>
        <source>The folder “%1” does not exist or cannot be read.</source>
        <translation>フォルダ「%1」が存在しないか、読み取れません。</translation>
    </message>
    <message>
        <source>“%1” is not a camera card: it has no recording folders.</source>
        <translation>「%1」はカメラのカードではありません（録画フォルダがありません）。</translation>
    </message>
</context>
<context>
    <name>dashcard::MyDocumentController</name>
    <message>
        <source>Open Card</source>
        <translation>カードを開く</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>The card “%1” could not be opened.</source>
        <translation>カード「%1」を開けませんでした。</translation>
    </message>
</context>
<context>
    <name>dashcard::OnlineTileSource</name>
    <message>
        <source>The tile address must hold {z}, {x} and {y}.</source>
        <translation>タイルのアドレスには {z}、{x}、{y} が必要です。</translation>
    </message>
    <message>
        <source>The tile address must start with http:// or https:// and name a server.</source>
        <translation>タイルのアドレスは http:// または https:// で始まり、サーバー名を含む必要があります。</translation>
    </message>
    <message>
        <source>The server gave no tile: %1</source>
        <translation>サーバーからタイルを取得できませんでした: %1</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not a map tile picture.</source>
        <translation>サーバーの応答は地図タイルの画像ではありません。</translation>
    </message>
</context>
<context>
    <name>dashcard::PathControl</name>
    <message>
        <source>Open a card</source>
        <translation>カードを開く</translation>
    </message>
    <message>
        <source>No card opened</source>
        <translation>カードが開かれていません</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>選択…</translation>
    </message>
</context>
<context>
    <name>dashcard::PlayerInlineControls</name>
    <message>
        <source>Play/Pause</source>
        <translation>再生/一時停止</translation>
    </message>
</context>
<context>
    <name>dashcard::PreferencesDialog</name>
    <message>
        <source> thumbnails</source>
        <translation> 枚</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Built-in World Map</source>
        <translation>内蔵の世界地図</translation>
    </message>
    <message>
        <source>By the system&apos;s language</source>
        <translation>システムの言語に従う</translation>
    </message>
    <message>
        <source>Choose a Folder of Tiles</source>
        <translation>タイルのフォルダを選択</translation>
    </message>
    <message>
        <source>Choose an MBTiles File</source>
        <translation>MBTiles ファイルを選択</translation>
    </message>
    <message>
        <source>Choose…</source>
        <translation>選択…</translation>
    </message>
    <message>
        <source>MBTiles File</source>
        <translation>MBTiles ファイル</translation>
    </message>
    <message>
        <source>MBTiles files (*.mbtiles);;All files (*)</source>
        <translation>MBTiles ファイル (*.mbtiles);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>Map file or folder:</source>
        <translation>地図ファイルまたはフォルダ:</translation>
    </message>
    <message>
        <source>Map:</source>
        <translation>地図:</translation>
    </message>
    <message>
        <source>OpenGL</source>
        <translation>OpenGL</translation>
    </message>
    <message>
        <source>OpenStreetMap (Online)</source>
        <translation>OpenStreetMap（オンライン）</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>環境設定</translation>
    </message>
    <message>
        <source>Software</source>
        <translation>ソフトウェア</translation>
    </message>
    <message>
        <source>Speed unit:</source>
        <translation>速度の単位:</translation>
    </message>
    <message>
        <source>Thumbnail cache limit:</source>
        <translation>サムネイルキャッシュの上限:</translation>
    </message>
    <message>
        <source>Tile Folder</source>
        <translation>タイルフォルダ</translation>
    </message>
    <message>
        <source>Used by the video panes of windows opened afterwards.</source>
        <translation>この後に開くウインドウのビデオに使われます。</translation>
    </message>
    <message>
        <source>Video drawing:</source>
        <translation>ビデオの描画:</translation>
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
        <translation>1 枚のタイルのアドレスです。ズームとタイルの列・行が入る位置に {z}、{x}、{y} を書きます。保存する前に試します。</translation>
    </message>
    <message>
        <source>Tile server:</source>
        <translation>タイルサーバー:</translation>
    </message>
    <message>
        <source>© OpenStreetMap contributors</source>
        <translation>© OpenStreetMap contributors</translation>
    </message>
    <message>
        <source>Shown on the map, as the tiles&apos; licence asks.</source>
        <translation>タイルのライセンスに従い、地図上に表示されます。</translation>
    </message>
    <message>
        <source>Tile credit:</source>
        <translation>タイルのクレジット:</translation>
    </message>
    <message>
        <source>Trying the tile server…</source>
        <translation>タイルサーバーを試しています…</translation>
    </message>
    <message>
        <source> g</source>
        <translation> g</translation>
    </message>
    <message>
        <source> min</source>
        <translation> 分</translation>
    </message>
    <message>
        <source>A pause between recordings longer than this starts a new trip.</source>
        <translation>録画の間隔がこれより長いと、新しい走行になります。</translation>
    </message>
    <message>
        <source>Trip gap:</source>
        <translation>走行の区切り:</translation>
    </message>
    <message>
        <source>Deceleration at or above this is hard braking.</source>
        <translation>これ以上の減速を急ブレーキとします。</translation>
    </message>
    <message>
        <source>Hard braking:</source>
        <translation>急ブレーキ:</translation>
    </message>
    <message>
        <source>Acceleration at or above this is hard acceleration.</source>
        <translation>これ以上の加速を急加速とします。</translation>
    </message>
    <message>
        <source>Hard acceleration:</source>
        <translation>急加速:</translation>
    </message>
    <message>
        <source>Sideways force at or above this is sharp cornering.</source>
        <translation>これ以上の横方向の力を急ハンドルとします。</translation>
    </message>
    <message>
        <source>Sharp cornering:</source>
        <translation>急ハンドル:</translation>
    </message>
    <message>
        <source> s</source>
        <translation> 秒</translation>
    </message>
    <message>
        <source>Shorter jolts (a pothole, a door) are not driving events.</source>
        <translation>これより短い衝撃（路面の穴、ドアなど）は運転イベントにしません。</translation>
    </message>
    <message>
        <source>Shortest driving event:</source>
        <translation>最短の運転イベント:</translation>
    </message>
    <message>
        <source>A camera clock further than this from GPS time is pointed out once per card.</source>
        <translation>カメラの時計が GPS 時刻とこれ以上ずれていると、カードごとに一度お知らせします。</translation>
    </message>
    <message>
        <source>Clock check:</source>
        <translation>時計の確認:</translation>
    </message>
    <message>
        <source>Decode with the graphics hardware when it can</source>
        <translation>可能なときはグラフィックスハードウェアでデコードする</translation>
    </message>
    <message>
        <source>Used by the players of windows opened afterwards and by side-by-side exports. Without a graphics device that decodes video, decoding stays in software.</source>
        <translation>この後に開くウインドウのプレーヤーと、左右に並べる書き出しに使われます。ビデオをデコードできるグラフィックスデバイスがなければ、ソフトウェアでデコードします。</translation>
    </message>
    <message>
        <source>Hardware decoding:</source>
        <translation>ハードウェアデコード:</translation>
    </message>
</context>
<context>
    <name>dashcard::ProgressViewController</name>
    <message>
        <source>Progress</source>
        <translation>進行状況</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>完了</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>完了しました</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>失敗しました</translation>
    </message>
</context>
<context>
    <name>dashcard::SDCardLoadProgressViewController</name>
    <message>
        <source>Loading file.</source>
        <translation>ファイルを読み込んでいます。</translation>
    </message>
    <message>
        <source>Please wait.</source>
        <translation>しばらくお待ちください。</translation>
    </message>
</context>
<context>
    <name>dashcard::SDCardLoadProgressWindowController</name>
    <message>
        <source>Loading</source>
        <translation>読み込み中</translation>
    </message>
</context>
<context>
    <name>dashcard::SelectRemovableDiskViewController</name>
    <message>
        <source>Camera Settings</source>
        <translation>カメラ設定</translation>
    </message>
    <message>
        <source>Select the card whose camera settings to edit.</source>
        <translation>カメラ設定を編集するカードを選択してください。</translation>
    </message>
    <message>
        <source>No card selected</source>
        <translation>カードが選択されていません</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
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
        <translation>録画</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>Photos</source>
        <translation>写真</translation>
    </message>
    <message>
        <source>Trips</source>
        <translation>トリップ</translation>
    </message>
</context>
<context>
    <name>dashcard::TripListView</name>
    <message>
        <source>Trip</source>
        <translation>トリップ</translation>
    </message>
    <message>
        <source>Distance</source>
        <translation>距離</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>Trip %1: %2, %3 min</source>
        <translation>トリップ %1: %2、%3 分</translation>
    </message>
    <message>
        <source>%1 km</source>
        <translation>%1 km</translation>
    </message>
    <message>
        <source>%1 to %2 (%3)</source>
        <translation>%1 〜 %2（%3）</translation>
    </message>
    <message>
        <source>%1 g</source>
        <translation>%1 g</translation>
    </message>
    <message>
        <source>Merge with Previous Trip</source>
        <translation>前の走行と結合</translation>
    </message>
    <message>
        <source>Merge with Next Trip</source>
        <translation>次の走行と結合</translation>
    </message>
    <message>
        <source>Split Trip Here</source>
        <translation>ここで走行を分割</translation>
    </message>
</context>
<context>
    <name>dashcard::UserGuideWindow</name>
    <message>
        <source>Dashcard User Guide</source>
        <translation>Dashcard ユーザーガイド</translation>
    </message>
    <message>
        <source>User guide</source>
        <translation>ユーザーガイド</translation>
    </message>
    <message>
        <source># User Guide

The guide was not installed with this copy of Dashcard (it belongs in `share/dashcard/user-guide.md`).</source>
        <translation># ユーザーガイド

この Dashcard にはガイドがインストールされていません（`share/dashcard/user-guide.md` にあるはずです）。</translation>
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
        <translation>フロントカメラ</translation>
    </message>
    <message>
        <source>Rear camera</source>
        <translation>リアカメラ</translation>
    </message>
</context>
<context>
    <name>dashcard::ZoomPlayerViewController</name>
    <message>
        <source>Whole picture</source>
        <translation>全体</translation>
    </message>
    <message>
        <source>Centre</source>
        <translation>中央</translation>
    </message>
    <message>
        <source>Top left</source>
        <translation>左上</translation>
    </message>
    <message>
        <source>Top right</source>
        <translation>右上</translation>
    </message>
    <message>
        <source>Bottom left</source>
        <translation>左下</translation>
    </message>
    <message>
        <source>Bottom right</source>
        <translation>右下</translation>
    </message>
    <message>
        <source>Playback speed</source>
        <translation>再生速度</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>左右反転</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>キャプチャ</translation>
    </message>
    <message>
        <source>No picture to capture</source>
        <translation>キャプチャできる映像がありません</translation>
    </message>
    <message>
        <source>Save Picture</source>
        <translation>画像を保存</translation>
    </message>
    <message>
        <source>“%1” is on the card. Nothing is written to the card: choose a folder elsewhere.</source>
        <translation>“%1”はカード上にあります。カードには何も書き込みません。別のフォルダを選んでください。</translation>
    </message>
</context>
</TS>
