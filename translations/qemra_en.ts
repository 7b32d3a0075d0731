<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>CalChannels</name>
    <message>
        <source>風速</source>
        <translation>Air speed</translation>
    </message>
    <message>
        <source>気温１</source>
        <translation>Air temp 1</translation>
    </message>
    <message>
        <source>気温２</source>
        <translation>Air temp 2</translation>
    </message>
    <message>
        <source>風速温度１</source>
        <translation>AS temp 1</translation>
    </message>
    <message>
        <source>風速温度２</source>
        <translation>AS temp 2</translation>
    </message>
    <message>
        <source>温度差L</source>
        <translation>Temp diff L</translation>
    </message>
    <message>
        <source>黒球温１</source>
        <translation>Globe temp 1</translation>
    </message>
    <message>
        <source>黒球温２</source>
        <translation>Globe temp 2</translation>
    </message>
    <message>
        <source>基板温１</source>
        <translation>Board temp 1</translation>
    </message>
    <message>
        <source>基板温２</source>
        <translation>Board temp 2</translation>
    </message>
</context>
<context>
    <name>CalProcedure</name>
    <message>
        <source>基準温度は -10 ～ 50 ℃ の数値で入力してください</source>
        <translation>Enter the reference temperature as a number from -10 to 50 ℃</translation>
    </message>
    <message>
        <source>送信できない値があるため、書込みを中止しました。パラメータの値を確認してください。</source>
        <translation>The write was stopped because a value cannot be sent. Check the parameter values.</translation>
    </message>
    <message>
        <source>通信が切断されたため、キャリブレーションの書込みを中止しました。</source>
        <translation>The calibration write was stopped because the connection was lost.</translation>
    </message>
    <message>
        <source>■キャリブレーション開始■</source>
        <translation>■Calibration started■</translation>
    </message>
    <message>
        <source>数字でない文字が含まれます</source>
        <translation>The text holds characters that are not digits</translation>
    </message>
    <message>
        <source>温度計測値に異常が見られます。</source>
        <translation>The temperature readings look abnormal.</translation>
    </message>
    <message>
        <source>□温度関係補正実施</source>
        <translation>□Temperature corrections applied</translation>
    </message>
    <message>
        <source>□温度関係0初期化実施</source>
        <translation>□Temperature corrections reset to 0</translation>
    </message>
    <message>
        <source>□風向温度補正実施</source>
        <translation>□Air speed temperature corrections applied</translation>
    </message>
    <message>
        <source>□0m補正実施</source>
        <translation>□0 m/s correction applied</translation>
    </message>
    <message>
        <source>□Nm補正実施</source>
        <translation>□N m/s correction applied</translation>
    </message>
    <message>
        <source>□作業完了</source>
        <translation>□Work finished</translation>
    </message>
</context>
<context>
    <name>CalReportPdf</name>
    <message>
        <source>校正成績書</source>
        <translation>Calibration Certificate</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>モデル番号 (S00)</source>
        <translation>Model (S00)</translation>
    </message>
    <message>
        <source>バージョン (S01)</source>
        <translation>Version (S01)</translation>
    </message>
    <message>
        <source>校正開始</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>校正終了</source>
        <translation>Finished</translation>
    </message>
    <message>
        <source>プログラム</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>校正値（計器への書込値）</source>
        <translation>Calibration values (as written to the instrument)</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>単位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>校正前</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>校正後</source>
        <translation>After</translation>
    </message>
    <message>
        <source>基準条件</source>
        <translation>Reference conditions</translation>
    </message>
    <message>
        <source>基準温度</source>
        <translation>Ref. temp.</translation>
    </message>
    <message>
        <source>基準風速</source>
        <translation>Ref. speed</translation>
    </message>
    <message>
        <source>許容差</source>
        <translation>Tolerance</translation>
    </message>
    <message>
        <source>風速確認</source>
        <translation>Air speed check</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>風速 [m/s]</source>
        <translation>Air speed [m/s]</translation>
    </message>
    <message>
        <source>偏差 [%]</source>
        <translation>Deviation [%]</translation>
    </message>
    <message>
        <source>5秒</source>
        <translation>5 s</translation>
    </message>
    <message>
        <source>15秒</source>
        <translation>15 s</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>PASS</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>FAIL</translation>
    </message>
    <message>
        <source>15秒平均と許容差による</source>
        <translation>by the 15 s average and the tolerance</translation>
    </message>
    <message>
        <source>段階別統計（確定時の直近30秒：Max / Avg. / Min / p-p）</source>
        <translation>Statistics by stage (last 30 s at confirmation: Max / Avg. / Min / p-p)</translation>
    </message>
    <message>
        <source>%1（未確定）</source>
        <translation>%1 (not confirmed)</translation>
    </message>
    <message>
        <source>段階別の計測値推移（横軸：確定時刻からの秒数、最大1023秒。網掛け：統計の30秒）</source>
        <translation>Readings by stage (x axis: seconds up to the confirmation, at most 1023 s; shaded: the 30 s of the statistics)</translation>
    </message>
    <message>
        <source>未確定</source>
        <translation>Not confirmed</translation>
    </message>
    <message>
        <source>印</source>
        <translation>Seal</translation>
    </message>
    <message>
        <source>署名・日付</source>
        <translation>Signature, date</translation>
    </message>
    <message>
        <source>校正者</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>確認者</source>
        <translation>Verifier</translation>
    </message>
    <message>
        <source>校正成績書 %1</source>
        <translation>Calibration Certificate %1</translation>
    </message>
</context>
<context>
    <name>CalReportRecorder</name>
    <message>
        <source>気温器差-1</source>
        <translation>Air temp correction 1</translation>
    </message>
    <message>
        <source>気温器差-2</source>
        <translation>Air temp correction 2</translation>
    </message>
    <message>
        <source>器差-黒球1</source>
        <translation>Globe correction 1</translation>
    </message>
    <message>
        <source>器差-黒球2</source>
        <translation>Globe correction 2</translation>
    </message>
    <message>
        <source>器差-基板1</source>
        <translation>Board correction 1</translation>
    </message>
    <message>
        <source>器差-基板2</source>
        <translation>Board correction 2</translation>
    </message>
    <message>
        <source>風速器差-1</source>
        <translation>Air speed correction 1</translation>
    </message>
    <message>
        <source>風速器差-2</source>
        <translation>Air speed correction 2</translation>
    </message>
    <message>
        <source>0m/s.時温度差</source>
        <translation>Temp diff at 0 m/s</translation>
    </message>
    <message>
        <source>基準時温度差</source>
        <translation>Temp diff at reference</translation>
    </message>
    <message>
        <source>基準風速値</source>
        <translation>Reference air speed</translation>
    </message>
    <message>
        <source>温度系器差確定</source>
        <translation>Confirm temperature corrections</translation>
    </message>
    <message>
        <source>風速器差確定</source>
        <translation>Confirm air speed corrections</translation>
    </message>
    <message>
        <source>0m/s.調整確定</source>
        <translation>Confirm 0 m/s</translation>
    </message>
    <message>
        <source>Nm/s.調整確定</source>
        <translation>Confirm N m/s</translation>
    </message>
    <message>
        <source>気温基準器 %1 ℃</source>
        <translation>Reference thermometer %1 ℃</translation>
    </message>
    <message>
        <source>素子平均 %1 ℃
各補正値から 0.35 ℃ 減算</source>
        <translation>Sensor mean %1 ℃
0.35 ℃ subtracted from each correction</translation>
    </message>
    <message>
        <source>±0.25 %（%1 〜 %2 m/s）</source>
        <translation>±0.25 % (%1 to %2 m/s)</translation>
    </message>
</context>
<context>
    <name>CalWriteBack</name>
    <message>
        <source>送信不可：１回の要求に収まらない値があります</source>
        <translation>Cannot send: some values do not fit in one request</translation>
    </message>
    <message>
        <source>＜設定初期化＞</source>
        <translation>&lt;Settings initialisation&gt;</translation>
    </message>
    <message>
        <source>＜デフォルト値設定＞：%1</source>
        <translation>&lt;Default values&gt;: %1</translation>
    </message>
    <message>
        <source>＜気温補正送信＞</source>
        <translation>&lt;Sending air temperature corrections&gt;</translation>
    </message>
    <message>
        <source>＜風向温補正送信＞</source>
        <translation>&lt;Sending air speed temperature corrections&gt;</translation>
    </message>
    <message>
        <source>＜0m/s. 補正送信＞</source>
        <translation>&lt;Sending 0 m/s correction&gt;</translation>
    </message>
    <message>
        <source>＜Nm/s. 補正送信＞</source>
        <translation>&lt;Sending N m/s correction&gt;</translation>
    </message>
    <message>
        <source>設定OK</source>
        <translation>Setting OK</translation>
    </message>
    <message>
        <source>設定NG</source>
        <translation>Setting failed</translation>
    </message>
</context>
<context>
    <name>GroupedWrite</name>
    <message>
        <source> ： </source>
        <translation>: </translation>
    </message>
    <message>
        <source>書込み停止しました！</source>
        <translation>Writing stopped!</translation>
    </message>
    <message>
        <source>※計器の書込み保護が解除されたままです。書込みを最後まで完了すると保護が戻ります。</source>
        <translation>* The instrument is still unprotected for writing. A write completed to the end protects it again.</translation>
    </message>
    <message>
        <source>通信が切断されました</source>
        <translation>Connection lost</translation>
    </message>
    <message>
        <source>●●書込み完了しました！●●</source>
        <translation>●● Writing complete! ●●</translation>
    </message>
    <message>
        <source>【書込み開始】</source>
        <translation>[Writing started]</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Writing</translation>
    </message>
    <message>
        <source>書込み失敗！ 送信データ不一致</source>
        <translation>Write failed! Echo does not match the data sent</translation>
    </message>
    <message>
        <source>書込み成功！</source>
        <translation>Write succeeded!</translation>
    </message>
    <message>
        <source>応答なし 再書き込み！</source>
        <translation>No answer, writing again!</translation>
    </message>
    <message>
        <source>応答なし 書込み失敗！</source>
        <translation>No answer, write failed!</translation>
    </message>
    <message>
        <source>書込み中断！ 他の書込みが始まりました</source>
        <translation>Write interrupted! Another write has started</translation>
    </message>
</context>
<context>
    <name>MonitorList</name>
    <message>
        <source>風速</source>
        <translation>Air speed</translation>
    </message>
    <message>
        <source>気温</source>
        <translation>Air temp</translation>
    </message>
    <message>
        <source>湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>%1.2f ％</source>
        <translation>%1.2f %</translation>
    </message>
    <message>
        <source>輻射熱</source>
        <translation>Globe temp</translation>
    </message>
    <message>
        <source>絶対湿度</source>
        <translation>Abs. humidity</translation>
    </message>
    <message>
        <source>露点温度</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>湿球温度</source>
        <translation>Wet bulb temp</translation>
    </message>
    <message>
        <source>=== 内部 ===</source>
        <translation>=== Internal ===</translation>
    </message>
    <message>
        <source>風向</source>
        <translation>Wind direction</translation>
    </message>
    <message>
        <source>気温１</source>
        <translation>Air temp 1</translation>
    </message>
    <message>
        <source>気温２</source>
        <translation>Air temp 2</translation>
    </message>
    <message>
        <source>WDS温度１</source>
        <translation>WDS temp 1</translation>
    </message>
    <message>
        <source>WDS温度２</source>
        <translation>WDS temp 2</translation>
    </message>
    <message>
        <source>BGT温度１</source>
        <translation>BGT temp 1</translation>
    </message>
    <message>
        <source>BGT温度２</source>
        <translation>BGT temp 2</translation>
    </message>
    <message>
        <source>BB温度１</source>
        <translation>BB temp 1</translation>
    </message>
    <message>
        <source>BB温度２</source>
        <translation>BB temp 2</translation>
    </message>
    <message>
        <source>BB温度３</source>
        <translation>BB temp 3</translation>
    </message>
    <message>
        <source>SHT気温</source>
        <translation>SHT air temp</translation>
    </message>
    <message>
        <source>SHT湿度</source>
        <translation>SHT humidity</translation>
    </message>
    <message>
        <source>黒球温度差</source>
        <translation>Globe diff</translation>
    </message>
    <message>
        <source>=== 状態値 ===</source>
        <translation>=== Status ===</translation>
    </message>
    <message>
        <source>風速(補正前)</source>
        <translation>Air speed (raw)</translation>
    </message>
    <message>
        <source>湿度(補正前)</source>
        <translation>Humidity (raw)</translation>
    </message>
    <message>
        <source>気温(内部用)</source>
        <translation>Air temp (int.)</translation>
    </message>
    <message>
        <source>プローブ温度</source>
        <translation>Probe temp</translation>
    </message>
    <message>
        <source>温度差</source>
        <translation>Temp diff</translation>
    </message>
    <message>
        <source>CPU使用率</source>
        <translation>CPU load</translation>
    </message>
    <message>
        <source>電源電圧</source>
        <translation>Supply voltage</translation>
    </message>
    <message>
        <source>AD変換回数</source>
        <translation>A/D count</translation>
    </message>
    <message>
        <source>DA出力値</source>
        <translation>D/A output</translation>
    </message>
    <message>
        <source>モデル番号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>バージョン</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>システム状態</source>
        <translation>System status</translation>
    </message>
    <message>
        <source>ハード状態</source>
        <translation>HW status</translation>
    </message>
    <message>
        <source>ソフト状態</source>
        <translation>SW status</translation>
    </message>
</context>
<context>
    <name>ParameterSet</name>
    <message>
        <source>変換できない文字がありました
設定数値を確認してください！</source>
        <translation>Some characters could not be converted
Check the setting values!</translation>
    </message>
    <message>
        <source>%1が見つかりません。</source>
        <translation>%1 was not found.</translation>
    </message>
    <message>
        <source>%1を読み込めません。</source>
        <translation>Cannot read %1.</translation>
    </message>
    <message>
        <source>%1は1MBを超えるため読み込めません。</source>
        <translation>Cannot read %1: it is larger than 1 MB.</translation>
    </message>
</context>
<context>
    <name>SetpointWrite</name>
    <message>
        <source> 書込み中断！ 他の書込みが始まりました</source>
        <translation> Write interrupted! Another write has started</translation>
    </message>
    <message>
        <source> 書込み失敗！ 通信が切断されました</source>
        <translation> Write failed! Connection lost</translation>
    </message>
    <message>
        <source> 書込み</source>
        <translation> Writing</translation>
    </message>
    <message>
        <source> 書込み失敗！ 送信データ不一致</source>
        <translation> Write failed! Echo does not match the data sent</translation>
    </message>
    <message>
        <source> 書込み成功！</source>
        <translation> Write succeeded!</translation>
    </message>
    <message>
        <source> 応答なし 再書き込み！</source>
        <translation> No answer, writing again!</translation>
    </message>
    <message>
        <source> 応答なし 書込み失敗！</source>
        <translation> No answer, write failed!</translation>
    </message>
</context>
<context>
    <name>TrendStrips</name>
    <message>
        <source>WBGT 内</source>
        <translation>WBGT in</translation>
    </message>
    <message>
        <source>WBGT 外</source>
        <translation>WBGT out</translation>
    </message>
    <message>
        <source>気温</source>
        <translation>Air temp</translation>
    </message>
    <message>
        <source>輻射熱</source>
        <translation>Globe</translation>
    </message>
    <message>
        <source>露点温度</source>
        <translation>Dew point</translation>
    </message>
    <message>
        <source>相対湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>%1.1f ％</source>
        <translation>%1.1f %</translation>
    </message>
    <message>
        <source>絶対湿度</source>
        <translation>Abs. hum.</translation>
    </message>
    <message>
        <source>湿球温度</source>
        <translation>Wet bulb</translation>
    </message>
    <message>
        <source>風速</source>
        <translation>Air speed</translation>
    </message>
</context>
<context>
    <name>qemra::Publisher</name>
    <message>
        <source>MQTT: 停止</source>
        <translation>MQTT: stopped</translation>
    </message>
    <message>
        <source>MQTT: 設定エラー (%1)</source>
        <translation>MQTT: settings error (%1)</translation>
    </message>
    <message>
        <source>MQTT: 接続待ち %1</source>
        <translation>MQTT: connecting to %1</translation>
    </message>
    <message>
        <source>MQTT: 接続中 %1</source>
        <translation>MQTT: connected to %1</translation>
    </message>
    <message>
        <source>MQTT: 再接続待ち (%1)</source>
        <translation>MQTT: waiting to reconnect (%1)</translation>
    </message>
</context>
<context>
    <name>qemra::TCalDataView</name>
    <message>
        <source>温度差S</source>
        <translation>Temp diff S</translation>
    </message>
    <message>
        <source>気温補正S</source>
        <translation>AT corr. S</translation>
    </message>
    <message>
        <source>WS補正S</source>
        <translation>WS corr. S</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>計測値判断状況 ─────────────────────────────</source>
        <translation>Reading assessment ─────────────────────────────</translation>
    </message>
    <message>
        <source>風速S</source>
        <translation>Air speed S</translation>
    </message>
</context>
<context>
    <name>qemra::TCalPage</name>
    <message>
        <source>キャリブレーション開始</source>
        <translation>Start calibration</translation>
    </message>
    <message>
        <source>温度系器差確定</source>
        <translation>Confirm temp. corrections</translation>
    </message>
    <message>
        <source>温度系器差クリア</source>
        <translation>Clear temp. corrections</translation>
    </message>
    <message>
        <source>気温基準器使用</source>
        <translation>Use reference thermometer</translation>
    </message>
    <message>
        <source>風速器差確定</source>
        <translation>Confirm air speed corr.</translation>
    </message>
    <message>
        <source>0m/s.調整確定</source>
        <translation>Confirm 0 m/s</translation>
    </message>
    <message>
        <source>Nm/s.調整確定</source>
        <translation>Confirm N m/s</translation>
    </message>
    <message>
        <source>作業完了</source>
        <translation>Finish work</translation>
    </message>
    <message>
        <source>動作状況 ─────────────────────</source>
        <translation>Status ─────────────────────</translation>
    </message>
    <message>
        <source>キャリブレーション完了</source>
        <translation>Calibration complete</translation>
    </message>
    <message>
        <source>キャリブレーション中: Step-%1</source>
        <translation>Calibrating: Step-%1</translation>
    </message>
</context>
<context>
    <name>qemra::TComSetupFrm</name>
    <message>
        <source>自動再接続</source>
        <translation>Reconnect automatically</translation>
    </message>
</context>
<context>
    <name>qemra::TCommCtrlForm</name>
    <message>
        <source>ComPort 通信状態</source>
        <translation>ComPort communication</translation>
    </message>
    <message>
        <source>送信ログ</source>
        <translation>Send log</translation>
    </message>
    <message>
        <source>受信ログ</source>
        <translation>Receive log</translation>
    </message>
    <message>
        <source>接続中は変更できません</source>
        <translation>Cannot change while connected</translation>
    </message>
</context>
<context>
    <name>qemra::THistoryForm</name>
    <message>
        <source>履歴表示</source>
        <translation>History</translation>
    </message>
    <message>
        <source>サマリ</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>期間</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>開始日</source>
        <translation>First day</translation>
    </message>
    <message>
        <source>終了日</source>
        <translation>Last day</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>読込</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>読込の進み具合</source>
        <translation>Loading progress</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>全体表示</source>
        <translation>Show all</translation>
    </message>
    <message>
        <source>PNG保存...</source>
        <translation>Save PNG...</translation>
    </message>
    <message>
        <source>PDF保存...</source>
        <translation>Save PDF...</translation>
    </message>
    <message>
        <source>〜</source>
        <translation>to</translation>
    </message>
    <message>
        <source>カーソル時刻</source>
        <translation>Cursor time</translation>
    </message>
    <message>
        <source>終了日が開始日より前です</source>
        <translation>The last day is before the first day</translation>
    </message>
    <message>
        <source>読込中...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>%1 行</source>
        <translation>%1 rows</translation>
    </message>
    <message>
        <source>分記録で表示: </source>
        <translation>Shown from minute records: </translation>
    </message>
    <message>
        <source>記録なし: </source>
        <translation>No records: </translation>
    </message>
    <message>
        <source>読めません: </source>
        <translation>Cannot read: </translation>
    </message>
    <message>
        <source>読込を中止しました</source>
        <translation>Loading stopped</translation>
    </message>
    <message>
        <source>履歴サマリ </source>
        <translation>History summary </translation>
    </message>
    <message>
        <source>PNG保存</source>
        <translation>Save PNG</translation>
    </message>
    <message>
        <source>PDF保存</source>
        <translation>Save PDF</translation>
    </message>
    <message>
        <source>%1 に保存できません</source>
        <translation>Cannot save to %1</translation>
    </message>
</context>
<context>
    <name>qemra::TMainForm</name>
    <message>
        <source>ComPort 通信状態</source>
        <translation>ComPort communication</translation>
    </message>
    <message>
        <source>METs値</source>
        <translation>METs</translation>
    </message>
    <message>
        <source>clo値</source>
        <translation>clo</translation>
    </message>
    <message>
        <source>変更...</source>
        <translation>Change...</translation>
    </message>
    <message>
        <source>秒記録</source>
        <translation>Record seconds</translation>
    </message>
    <message>
        <source>履歴表示</source>
        <translation>History</translation>
    </message>
    <message>
        <source>データ収取開始</source>
        <translation>Start acquisition</translation>
    </message>
    <message>
        <source>データ収集終了</source>
        <translation>Stop acquisition</translation>
    </message>
    <message>
        <source>グラフプロットデータをファイルに保存</source>
        <translation>Save the plotted data to a file</translation>
    </message>
    <message>
        <source>設定変更</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>METs値: %1.2f</source>
        <translation>METs: %1.2f</translation>
    </message>
    <message>
        <source>clo値: %1.2f</source>
        <translation>clo: %1.2f</translation>
    </message>
    <message>
        <source>接続中は変更できません</source>
        <translation>Cannot change while connected</translation>
    </message>
</context>
<context>
    <name>qemra::TPrmSetForm</name>
    <message>
        <source>動作モード</source>
        <translation>Operating mode</translation>
    </message>
    <message>
        <source>計測モード</source>
        <translation>Measuring mode</translation>
    </message>
    <message>
        <source>ケースモード</source>
        <translation>Case mode</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>開放設置モード</source>
        <translation>Open installation</translation>
    </message>
    <message>
        <source>ケース設置モード</source>
        <translation>Case installation</translation>
    </message>
    <message>
        <source>clo値（着衣量）</source>
        <translation>clo (clothing)</translation>
    </message>
    <message>
        <source>clo値</source>
        <translation>clo</translation>
    </message>
    <message>
        <source>METs値（活動量）</source>
        <translation>METs (activity)</translation>
    </message>
    <message>
        <source>METs値</source>
        <translation>METs</translation>
    </message>
    <message>
        <source>&#x3000;設定送出</source>
        <translation> Send settings</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>qemra::TSysSetForm</name>
    <message>
        <source>通信ポート設定</source>
        <translation>Port settings</translation>
    </message>
    <message>
        <source>通信開始</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>通信クローズ</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>ログ表示...</source>
        <translation>Show log...</translation>
    </message>
    <message>
        <source>ポート設定...</source>
        <translation>Port setup...</translation>
    </message>
    <message>
        <source>気温補正のみ</source>
        <translation>Air temp correction only</translation>
    </message>
    <message>
        <source>温度素子異常確認</source>
        <translation>Check temperature sensors</translation>
    </message>
    <message>
        <source>シリアル番号を消去</source>
        <translation>Clear the serial number</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>管理操作</source>
        <translation>Management</translation>
    </message>
    <message>
        <source>直接操作</source>
        <translation>Direct operation</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>初期設定</source>
        <translation>Initial settings</translation>
    </message>
    <message>
        <source>風速算出</source>
        <translation>Air speed calculation</translation>
    </message>
    <message>
        <source>0m/s.時温度差</source>
        <translation>Temp diff at 0 m/s</translation>
    </message>
    <message>
        <source>基準風速値</source>
        <translation>Reference air speed</translation>
    </message>
    <message>
        <source>基準時温度差</source>
        <translation>Temp diff at reference</translation>
    </message>
    <message>
        <source>ヒータ出力</source>
        <translation>Heater output</translation>
    </message>
    <message>
        <source>特性補正式</source>
        <translation>Characteristic correction</translation>
    </message>
    <message>
        <source>器差補正</source>
        <translation>Corrections</translation>
    </message>
    <message>
        <source>気温器差-1</source>
        <translation>Air temp correction 1</translation>
    </message>
    <message>
        <source>気温器差-2</source>
        <translation>Air temp correction 2</translation>
    </message>
    <message>
        <source>風速器差-1</source>
        <translation>Air speed correction 1</translation>
    </message>
    <message>
        <source>風速器差-2</source>
        <translation>Air speed correction 2</translation>
    </message>
    <message>
        <source>器差-黒球1</source>
        <translation>Globe correction 1</translation>
    </message>
    <message>
        <source>器差-黒球2</source>
        <translation>Globe correction 2</translation>
    </message>
    <message>
        <source>器差-基板1</source>
        <translation>Board correction 1</translation>
    </message>
    <message>
        <source>器差-基板2</source>
        <translation>Board correction 2</translation>
    </message>
    <message>
        <source>器差-基板3</source>
        <translation>Board correction 3</translation>
    </message>
    <message>
        <source>システム設定値</source>
        <translation>System values</translation>
    </message>
    <message>
        <source>基準電圧</source>
        <translation>Reference voltage</translation>
    </message>
    <message>
        <source>気温補正</source>
        <translation>Air temp correction</translation>
    </message>
    <message>
        <source>黒球係数</source>
        <translation>Globe coefficient</translation>
    </message>
    <message>
        <source>&#x3000;設定送出</source>
        <translation> Send settings</translation>
    </message>
    <message>
        <source>設定保存...</source>
        <translation>Save settings...</translation>
    </message>
    <message>
        <source>設定読込...</source>
        <translation>Load settings...</translation>
    </message>
    <message>
        <source>補正点</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>補正量</source>
        <translation>Correction</translation>
    </message>
    <message>
        <source>接続中は変更できません</source>
        <translation>Cannot change while connected</translation>
    </message>
    <message>
        <source>接続していないので、実行できません！</source>
        <translation>Not connected, so this cannot be done!</translation>
    </message>
</context>
<context>
    <name>qemra::TWriteForm</name>
    <message>
        <source>設定送出</source>
        <translation>Send settings</translation>
    </message>
    <message>
        <source>&#x3000;書込み実行</source>
        <translation> Write</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
</context>
</TS>
