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
    <name>SurveyReport</name>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>PMVカテゴリー %1（|PMV| &lt; %2）</source>
        <translation>PMV category %1 (|PMV| &lt; %2)</translation>
    </message>
    <message>
        <source>ドラフト率カテゴリー %1（DR &lt; %2 %）</source>
        <translation>Draught rate category %1 (DR &lt; %2 %)</translation>
    </message>
    <message>
        <source>快適性カテゴリー %1（PMVとDRの悪い方）</source>
        <translation>Comfort category %1 (the worse of PMV and DR)</translation>
    </message>
    <message>
        <source>長期評価：カテゴリー %1 外の時間率</source>
        <translation>Long-term evaluation: share of time outside category %1</translation>
    </message>
    <message>
        <source>WBGT 1時間平均：非順化者の基準値</source>
        <translation>WBGT hourly average: limit for unacclimatised persons</translation>
    </message>
    <message>
        <source>適応モデル カテゴリー %1</source>
        <translation>Adaptive model category %1</translation>
    </message>
    <message>
        <source>適合</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不適合</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>判定不能</source>
        <translation>Nothing to judge</translation>
    </message>
    <message>
        <source>温熱環境調査報告書</source>
        <translation>Thermal environment survey report</translation>
    </message>
    <message>
        <source>調査期間</source>
        <translation>Survey period</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>最初の記録</source>
        <translation>First record</translation>
    </message>
    <message>
        <source>最後の記録</source>
        <translation>Last record</translation>
    </message>
    <message>
        <source>在室時間</source>
        <translation>Occupied hours</translation>
    </message>
    <message>
        <source>終日</source>
        <translation>All day</translation>
    </message>
    <message>
        <source>曜日</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>全曜日</source>
        <translation>Every day</translation>
    </message>
    <message>
        <source>カテゴリー</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>評価対象時間</source>
        <translation>Evaluated time</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>許容率</source>
        <translation>Tolerance</translation>
    </message>
    <message>
        <source>外気温ファイル</source>
        <translation>Outdoor temperature file</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
    <message>
        <source>評価項目</source>
        <translation>Criterion</translation>
    </message>
    <message>
        <source>測定値（基準外の時間率）</source>
        <translation>Measured (share of time outside the limit)</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>Limit</translation>
    </message>
    <message>
        <source>対象 %1</source>
        <translation>Evaluated %1</translation>
    </message>
    <message>
        <source>順化者の基準値超過 %1・最大 %2 ℃</source>
        <translation>Above the acclimatised limit %1, maximum %2 ℃</translation>
    </message>
    <message>
        <source>判定の規則</source>
        <translation>Rules of the verdicts</translation>
    </message>
    <message>
        <source>カテゴリーの各項目は、評価対象の秒のうち選んだカテゴリーの外にあった時間率が許容率 %1 % 以下のとき適合とする（許容率は EN 16798-1 が認める逸脱の割合、--tolerance で変更できる）。</source>
        <translation>A category criterion passes when the share of the evaluated seconds outside the chosen category is at most the tolerance of %1 % (the tolerance is the share of deviation EN 16798-1 allows; --tolerance changes it).</translation>
    </message>
    <message>
        <source>長期評価は ISO 7730 附属書 H の方法による share_outside を同じ許容率で判定する。</source>
        <translation>The long-term evaluation judges share_outside by the method of ISO 7730 Annex H against the same tolerance.</translation>
    </message>
    <message>
        <source>WBGT は 1時間平均が非順化者の基準値を一度も超えないとき適合とする（順化者の基準値に対する時間率と最大値を併記）。</source>
        <translation>WBGT passes when its hourly average never exceeds the limit for unacclimatised persons (the share of time above the acclimatised limit and the maximum are shown beside it).</translation>
    </message>
    <message>
        <source>判定の対象となる秒が一つもない項目は判定不能とし、適合とはしない。ドラフト率は定義された秒だけを数える。</source>
        <translation>A criterion without a single second to judge has nothing to judge and never passes. The draught rate counts only the seconds where it is defined.</translation>
    </message>
    <message>
        <source>主な値（評価対象の秒）</source>
        <translation>Main values (evaluated seconds)</translation>
    </message>
    <message>
        <source>作用温度</source>
        <translation>Operative temperature</translation>
    </message>
    <message>
        <source>気温</source>
        <translation>Air temp</translation>
    </message>
    <message>
        <source>放射温度</source>
        <translation>Radiant temperature</translation>
    </message>
    <message>
        <source>相対湿度</source>
        <translation>Humidity</translation>
    </message>
    <message>
        <source>風速</source>
        <translation>Air speed</translation>
    </message>
    <message>
        <source>ドラフト率</source>
        <translation>Draught rate</translation>
    </message>
    <message>
        <source>乱れの強さ</source>
        <translation>Turbulence intensity</translation>
    </message>
    <message>
        <source>WBGT（屋内）</source>
        <translation>WBGT (indoor)</translation>
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
        <source>最小</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>ドラフト率と乱れの強さはドラフト率が定義された秒のみ。</source>
        <translation>Draught rate and turbulence intensity over the seconds where the draught rate is defined only.</translation>
    </message>
    <message>
        <source>カテゴリー別の時間率と分布</source>
        <translation>Shares of time by category and distributions</translation>
    </message>
    <message>
        <source>カテゴリー別の時間率（評価対象の秒に対する割合）</source>
        <translation>Shares of time by category (of the evaluated seconds)</translation>
    </message>
    <message>
        <source>外</source>
        <translation>Outside</translation>
    </message>
    <message>
        <source>快適性</source>
        <translation>Comfort</translation>
    </message>
    <message>
        <source>PMV の分布（0.1 刻み、両端は範囲外を含む）</source>
        <translation>Distribution of PMV (steps of 0.1, the end bins include what lies beyond)</translation>
    </message>
    <message>
        <source>ドラフト率 DR [%] の分布（2.5 % 刻み、定義された秒のみ）</source>
        <translation>Distribution of the draught rate DR [%] (steps of 2.5 %, defined seconds only)</translation>
    </message>
    <message>
        <source>データなし</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>時間率 [%]</source>
        <translation>Share of time [%]</translation>
    </message>
    <message>
        <source>平均的な一日と日ごとの作用温度</source>
        <translation>The average day and the operative temperature of each day</translation>
    </message>
    <message>
        <source>平均的な一日（時刻別の平均、帯は 10–90 % の範囲、評価対象の秒のみ）</source>
        <translation>The average day (mean by hour, band from 10 to 90 %, evaluated seconds only)</translation>
    </message>
    <message>
        <source>作用温度 [℃]</source>
        <translation>Operative temperature [℃]</translation>
    </message>
    <message>
        <source>ドラフト率 DR [%]</source>
        <translation>Draught rate DR [%]</translation>
    </message>
    <message>
        <source>日ごとの作用温度（最小・平均・最大、評価対象の秒のみ）</source>
        <translation>Operative temperature of each day (minimum, average, maximum; evaluated seconds only)</translation>
    </message>
    <message>
        <source>最小〜最大</source>
        <translation>Minimum to maximum</translation>
    </message>
    <message>
        <source>計算方法と入力</source>
        <translation>Methods and inputs</translation>
    </message>
    <message>
        <source>計算式と定数</source>
        <translation>Formulas and constants</translation>
    </message>
    <message>
        <source>PPD = 100 − 95·exp(−0.03353·PMV⁴ − 0.2179·PMV²) [%]（ISO 7730:2005 4.2）</source>
        <translation>PPD = 100 − 95·exp(−0.03353·PMV⁴ − 0.2179·PMV²) [%] (ISO 7730:2005 4.2)</translation>
    </message>
    <message>
        <source>to = A·ta + (1 − A)·tr、A = 0.5（v &lt; 0.2 m/s）、0.6（0.2 ≤ v &lt; 0.6）、0.7（v ≥ 0.6）（ISO 7726:1998 附属書 G）</source>
        <translation>to = A·ta + (1 − A)·tr, A = 0.5 (v &lt; 0.2 m/s), 0.6 (0.2 ≤ v &lt; 0.6), 0.7 (v ≥ 0.6) (ISO 7726:1998 Annex G)</translation>
    </message>
    <message>
        <source>直前 180 秒（162 行以上で定義）の平均 v̄, t̄a と v の標準偏差 SD から Tu = 100·SD/v̄、DR = (34 − t̄a)·(max(v̄,0.05) − 0.05)^0.62·(0.37·max(v̄,0.05)·Tu + 3.14)、0〜100 % に制限（ISO 7730:2005 6.2）。t̄a &lt; 20 または &gt; 26 ℃、v̄ &gt; 0.5 m/s、Tu &lt; 10 または &gt; 60 % はモデル範囲外</source>
        <translation>From the means v̄, t̄a and the standard deviation SD of v over the preceding 180 s (defined with at least 162 rows): Tu = 100·SD/v̄, DR = (34 − t̄a)·(max(v̄,0.05) − 0.05)^0.62·(0.37·max(v̄,0.05)·Tu + 3.14), limited to 0 to 100 % (ISO 7730:2005 6.2). t̄a &lt; 20 or &gt; 26 ℃, v̄ &gt; 0.5 m/s, Tu &lt; 10 or &gt; 60 % lie outside the model</translation>
    </message>
    <message>
        <source>|PMV|：A &lt; 0.2、B &lt; 0.5、C &lt; 0.7；DR：A &lt; 10、B &lt; 20、C &lt; 30 %（ISO 7730:2005 附属書 A 表 A.1）；快適性は PMV と DR の悪い方；EN 16798-1:2019 附属書 B：I &lt; 0.2、II &lt; 0.5、III &lt; 0.7、IV &lt; 1.0</source>
        <translation>|PMV|: A &lt; 0.2, B &lt; 0.5, C &lt; 0.7; DR: A &lt; 10, B &lt; 20, C &lt; 30 % (ISO 7730:2005 Annex A Table A.1); comfort is the worse of PMV and DR; EN 16798-1:2019 Annex B: I &lt; 0.2, II &lt; 0.5, III &lt; 0.7, IV &lt; 1.0</translation>
    </message>
    <message>
        <source>長期評価</source>
        <translation>Long-term evaluation</translation>
    </message>
    <message>
        <source>カテゴリー %1 の |PMV| 限界以上の秒の時間率、PPD 加重時間 Σ PPD/PPD限界、平均 PPD、PPD 時間 Σ PPD、温度範囲外の度時（ISO 7730:2005 附属書 H）</source>
        <translation>Share of the seconds at or beyond the |PMV| limit of category %1, PPD-weighted time Σ PPD/PPD limit, average PPD, PPD time Σ PPD, degree hours outside the temperature range (ISO 7730:2005 Annex H)</translation>
    </message>
    <message>
        <source>直前 3600 秒（3240 行以上で定義）の WBGT（屋内）の平均。M = 平均 met·58.15·1.8 W として順化者 56.7 − 11.5·log10 M、非順化者 59.9 − 14.1·log10 M （ISO 7243:2017 附属書 A）</source>
        <translation>The mean indoor WBGT over the preceding 3600 s (defined with at least 3240 rows). With M = mean met·58.15·1.8 W: acclimatised 56.7 − 11.5·log10 M, unacclimatised 59.9 − 14.1·log10 M (ISO 7243:2017 Annex A)</translation>
    </message>
    <message>
        <source>適応モデル</source>
        <translation>Adaptive model</translation>
    </message>
    <message>
        <source>θrm = (θd−1 + 0.8θd−2 + 0.6θd−3 + 0.5θd−4 + 0.4θd−5 + 0.3θd−6 + 0.2θd−7)/3.8、15 ≤ θrm ≤ 30 で適用、θc = 0.33·θrm + 18.8；I：θc − 3 〜 θc + 2、II：−4 〜 +3、III：−5 〜 +4（EN 16798-1:2019 附属書 B.2.2）</source>
        <translation>θrm = (θd−1 + 0.8θd−2 + 0.6θd−3 + 0.5θd−4 + 0.4θd−5 + 0.3θd−6 + 0.2θd−7)/3.8, applied for 15 ≤ θrm ≤ 30, θc = 0.33·θrm + 18.8; I: θc − 3 to θc + 2, II: −4 to +3, III: −5 to +4 (EN 16798-1:2019 Annex B.2.2)</translation>
    </message>
    <message>
        <source>分単位ファイル</source>
        <translation>Minute files</translation>
    </message>
    <message>
        <source>秒記録のない日は分記録の平均を 1行 60 秒として数える。ドラフト率と WBGT 1時間平均はその日には定義しない</source>
        <translation>A day without second records counts the averages of its minute records as 60 s a row. The draught rate and the WBGT hourly average are not defined on such a day</translation>
    </message>
    <message>
        <source>平均的な一日</source>
        <translation>The average day</translation>
    </message>
    <message>
        <source>時刻別の平均は秒の加重平均、10 % と 90 % は細かい階級（作用温度 0.05 K、PMV 0.01、DR 0.1 %）の累積から読む</source>
        <translation>The mean by hour is weighted by seconds; 10 % and 90 % are read from the sums of fine bins (operative temperature 0.05 K, PMV 0.01, DR 0.1 %)</translation>
    </message>
    <message>
        <source>WBGT と PMV の値は計器自身が算出して記録した値であり、本報告書では再計算していない。</source>
        <translation>The WBGT and PMV values are those the instrument worked out and recorded; this report does not recalculate them.</translation>
    </message>
    <message>
        <source>入力</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <source>データフォルダー</source>
        <translation>Data folder</translation>
    </message>
    <message>
        <source>プログラム</source>
        <translation>Program</translation>
    </message>
    <message>
        <source>読み飛ばした行</source>
        <translation>Skipped rows</translation>
    </message>
    <message>
        <source>分記録で数えた日</source>
        <translation>Days counted from minute records</translation>
    </message>
    <message>
        <source>記録のない日</source>
        <translation>Days without records</translation>
    </message>
    <message>
        <source>読み込んだ記録ファイル（%1 件）</source>
        <translation>Record files read (%1)</translation>
    </message>
    <message>
        <source>ほか %1 件（JSON に全件）</source>
        <translation>and %1 more (all of them in the JSON)</translation>
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
    <message>
        <source>作用温度</source>
        <translation>Operative temperature</translation>
    </message>
    <message>
        <source>ドラフト率</source>
        <translation>Draught rate</translation>
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
        <source>PMV 区分A (|PMV| &lt; 0.2)</source>
        <translation>PMV category A (|PMV| &lt; 0.2)</translation>
    </message>
    <message>
        <source>PMV 区分B (|PMV| &lt; 0.5)</source>
        <translation>PMV category B (|PMV| &lt; 0.5)</translation>
    </message>
    <message>
        <source>PMV 区分C (|PMV| &lt; 0.7)</source>
        <translation>PMV category C (|PMV| &lt; 0.7)</translation>
    </message>
    <message>
        <source>PMV 区分外 (|PMV| ≥ 0.7)</source>
        <translation>PMV outside the categories (|PMV| ≥ 0.7)</translation>
    </message>
    <message>
        <source>WBGT ほぼ安全 (&lt; 21 ℃)</source>
        <translation>WBGT almost safe (&lt; 21 ℃)</translation>
    </message>
    <message>
        <source>WBGT 注意 (21〜25 ℃)</source>
        <translation>WBGT caution (21-25 ℃)</translation>
    </message>
    <message>
        <source>WBGT 警戒 (25〜28 ℃)</source>
        <translation>WBGT warning (25-28 ℃)</translation>
    </message>
    <message>
        <source>WBGT 厳重警戒 (28〜31 ℃)</source>
        <translation>WBGT severe warning (28-31 ℃)</translation>
    </message>
    <message>
        <source>WBGT 危険 (≥ 31 ℃)</source>
        <translation>WBGT danger (≥ 31 ℃)</translation>
    </message>
    <message>
        <source>項目ごとの最小・平均・最大</source>
        <translation>Minimum, average and maximum by item</translation>
    </message>
    <message>
        <source>区分ごとの割合</source>
        <translation>Shares by category</translation>
    </message>
    <message>
        <source>快適性の集計</source>
        <translation>Comfort figures</translation>
    </message>
    <message>
        <source>調査報告書...</source>
        <translation>Survey report...</translation>
    </message>
    <message>
        <source>%1 日分は前回の読込から</source>
        <translation>%1 days from the previous load</translation>
    </message>
    <message>
        <source>秒数 %1</source>
        <translation>Seconds %1</translation>
    </message>
    <message>
        <source>最初 %1  最後 %2</source>
        <translation>First %1  Last %2</translation>
    </message>
    <message>
        <source>読み飛ばした行 %1</source>
        <translation>Skipped rows %1</translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>最小</source>
        <translation>Minimum</translation>
    </message>
    <message>
        <source>平均</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>Maximum</translation>
    </message>
    <message>
        <source>区分</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>割合</source>
        <translation>Share</translation>
    </message>
    <message>
        <source>表示範囲 %1 〜 %2</source>
        <translation>Shown %1 to %2</translation>
    </message>
    <message>
        <source>ポート %1</source>
        <translation>Port %1</translation>
    </message>
    <message>
        <source>カーソル %1</source>
        <translation>Cursor %1</translation>
    </message>
    <message>
        <source>在室時間</source>
        <translation>Occupied hours</translation>
    </message>
    <message>
        <source>曜日</source>
        <translation>Days</translation>
    </message>
    <message>
        <source>外気温ファイル</source>
        <translation>Outdoor temperature file</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>外気温ファイルを選ぶ</source>
        <translation>Choose the outdoor temperature file</translation>
    </message>
    <message>
        <source>CSV ファイル (*.csv);;すべてのファイル (*)</source>
        <translation>CSV files (*.csv);;All files (*)</translation>
    </message>
    <message>
        <source>集計中...</source>
        <translation>Working out the figures...</translation>
    </message>
    <message>
        <source>調査報告書</source>
        <translation>Survey report</translation>
    </message>
    <message>
        <source>調査報告書を書けません:
%1</source>
        <translation>Cannot write the survey report:
%1</translation>
    </message>
    <message>
        <source>調査報告書を作成中...</source>
        <translation>Writing the survey report...</translation>
    </message>
    <message>
        <source>調査報告書を保存しました: %1</source>
        <translation>Survey report saved: %1</translation>
    </message>
    <message>
        <source>追加表示:</source>
        <translation>Add strips:</translation>
    </message>
    <message>
        <source>%1の帯を表示</source>
        <translation>Show the %1 strip</translation>
    </message>
    <message>
        <source>C | 区分外</source>
        <translation>C | outside</translation>
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
    <message>
        <source>記録ファイル書込不可: %1 (%2)</source>
        <translation>Cannot write the record file: %1 (%2)</translation>
    </message>
    <message>
        <source>ポート待機中: %1</source>
        <translation>Waiting for the port: %1</translation>
    </message>
    <message>
        <source>ポートを開けません: %1: %2</source>
        <translation>Cannot open the port: %1: %2</translation>
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
    <message>
        <source>ポートを開けません: %1: %2</source>
        <translation>Cannot open the port: %1: %2</translation>
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
