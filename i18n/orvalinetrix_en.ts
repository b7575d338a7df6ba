<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>AutoCal</name>
    <message>
        <source>自動校正</source>
        <translation>Auto calibrate</translation>
    </message>
    <message>
        <source>先にグラフの画像を開いて下さい。</source>
        <translation>Open a picture of a graph first.</translation>
    </message>
    <message>
        <source>読み取り済みの点を新しい校正で読み直しますか?</source>
        <translation>Read the points already read again with the new calibration?</translation>
    </message>
    <message>
        <source>自動校正できませんでした: %1</source>
        <translation>Could not calibrate automatically: %1</translation>
    </message>
    <message>
        <source>X軸だけを設定しました: %1</source>
        <translation>Only the X axis was set: %1</translation>
    </message>
    <message>
        <source>Y軸だけを設定しました: %1</source>
        <translation>Only the Y axis was set: %1</translation>
    </message>
    <message>
        <source>色の付いた数値は目盛り2つだけから求めました。確かめて下さい。</source>
        <translation>The coloured values come from only two ticks. Please check them.</translation>
    </message>
    <message>
        <source>自動校正を中止しました。</source>
        <translation>Automatic calibration cancelled.</translation>
    </message>
    <message>
        <source>目盛りの数値を読み取っています...</source>
        <translation>Reading the tick labels...</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>軸の線が見つかりません</source>
        <translation>no axis lines</translation>
    </message>
    <message>
        <source>X軸で読める目盛りの数値が2つ未満です</source>
        <translation>fewer than two readable labels on the X axis</translation>
    </message>
    <message>
        <source>Y軸で読める目盛りの数値が2つ未満です</source>
        <translation>fewer than two readable labels on the Y axis</translation>
    </message>
    <message>
        <source>X軸とY軸で読める目盛りの数値が2つ未満です</source>
        <translation>fewer than two readable labels on the X and Y axes</translation>
    </message>
    <message>
        <source>文字認識のデータ(英語)が見つかりません: %1</source>
        <translation>The OCR data for English is missing: %1</translation>
    </message>
</context>
<context>
    <name>AutoRead</name>
    <message>
        <source>自動読取：グラフ画像がありません。</source>
        <translation>Automatic reading: there is no chart picture.</translation>
    </message>
    <message>
        <source>自動読取：枠線の定義が完了していません。<byte value="xd"/>グラフの角を画像上で選択し、角の数値を入力してから使って下さい。</source>
        <translation>Automatic reading: the frame is not complete.<byte value="xd"/>Select the chart&apos;s corners on the picture and enter their values first.</translation>
    </message>
    <message>
        <source>読み取る色を選んで下さい(スポイトで画像をクリック、又は色見本を選択)。</source>
        <translation>Choose the colour to read (Pick, then click the picture; or choose a swatch).</translation>
    </message>
    <message>
        <source>エラー！(No.2)(読み出しポイントは250点までです。%1点を追加し、%2点は追加しませんでした。)</source>
        <translation>Error! (No.2) (A series holds at most 250 points. %1 points were added, %2 were not.)</translation>
    </message>
    <message>
        <source>中止しました。</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>候補 %1 点</source>
        <translation>%1 candidates</translation>
    </message>
    <message>
        <source>、結合 %1 箇所</source>
        <translation>, %1 merged</translation>
    </message>
    <message>
        <source>(%1 箇所は除外)</source>
        <translation> (%1 left out)</translation>
    </message>
    <message>
        <source>、該当なし %1</source>
        <translation>, %1 skipped</translation>
    </message>
    <message>
        <source>スポイト</source>
        <translation>Pick</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>許容差 ΔE</source>
        <translation>Tolerance ΔE</translation>
    </message>
    <message>
        <source>範囲</source>
        <translation>Area</translation>
    </message>
    <message>
        <source>押してから画像上をドラッグすると、読み取る範囲を長方形で絞ります</source>
        <translation>Press, then drag on the picture to narrow the reading to a rectangle</translation>
    </message>
    <message>
        <source>範囲解除</source>
        <translation>Clear area</translation>
    </message>
    <message>
        <source>枠からの余白</source>
        <translation>Frame margin</translation>
    </message>
    <message>
        <source>X刻み</source>
        <translation>X steps</translation>
    </message>
    <message>
        <source>Y刻み(急な曲線)</source>
        <translation>Y steps (steep curves)</translation>
    </message>
    <message>
        <source>マーカー</source>
        <translation>Markers</translation>
    </message>
    <message>
        <source>方法</source>
        <translation>Method</translation>
    </message>
    <message>
        <source>枠の端</source>
        <translation>frame edge</translation>
    </message>
    <message>
        <source>刻み</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>点数</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>対数軸では倍率(1より大)</source>
        <translation>On a log axis a factor (above 1)</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>From</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>To</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>auto</translation>
    </message>
    <message>
        <source>重なったマーカーを分ける</source>
        <translation>Split touching markers</translation>
    </message>
    <message>
        <source>面積(画素) 最小</source>
        <translation>Area (px) min</translation>
    </message>
    <message>
        <source>最大</source>
        <translation>max</translation>
    </message>
    <message>
        <source>読取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>追加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>候補の点を現在の系列に追加します</source>
        <translation>Adds the candidates to the current series</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>読取中...</source>
        <translation>Reading...</translation>
    </message>
    <message>
        <source>数値が不正です。</source>
        <translation>Invalid number.</translation>
    </message>
    <message>
        <source>自動読取</source>
        <translation>Automatic Reading</translation>
    </message>
    <message>
        <source>枠線が定義されていないか、枠線の値を読めません。</source>
        <translation>The frame is not defined, or its values cannot be read.</translation>
    </message>
    <message>
        <source>範囲(開始・終了)が不正です。</source>
        <translation>Invalid range (from, to).</translation>
    </message>
    <message>
        <source>刻み又は点数が不正です。</source>
        <translation>Invalid step or number of points.</translation>
    </message>
    <message>
        <source>画像がありません。</source>
        <translation>There is no picture.</translation>
    </message>
    <message>
        <source>%1 点を追加しました</source>
        <translation>%1 points added</translation>
    </message>
    <message>
        <source>この候補は追加済みです。もう一度追加しますか？</source>
        <translation>These candidates have been added already. Add them again?</translation>
    </message>
    <message>
        <source>開始・終了は0より大きい数にして下さい(対数軸)。</source>
        <translation>From and To must be greater than 0 (log axis).</translation>
    </message>
    <message>
        <source>開始・終了は有限の数にして下さい。</source>
        <translation>From and To must be finite numbers.</translation>
    </message>
    <message>
        <source>開始・終了は枠の範囲から、その幅(桁数)の10⁶倍以内にして下さい。</source>
        <translation>From and To must lie within 10⁶ times the frame&apos;s span (in decades) of the frame&apos;s range.</translation>
    </message>
    <message>
        <source>開始・終了は枠の範囲から、その幅の10⁶倍以内にして下さい。</source>
        <translation>From and To must lie within 10⁶ times the frame&apos;s span of the frame&apos;s range.</translation>
    </message>
    <message>
        <source>開始と終了が同じです。1点だけ読むときは点数を1にして下さい。</source>
        <translation>From and To are the same. To read one point, set Points to 1.</translation>
    </message>
    <message>
        <source>(同じ色の線を除いて読取)</source>
        <translation> (a line of the same colour was taken away)</translation>
    </message>
    <message>
        <source>、曲線から離れた断片 %1 個は除外</source>
        <translation>, %1 pieces apart from the curve left out</translation>
    </message>
    <message>
        <source>、許容差 ΔE %1</source>
        <translation>, tolerance ΔE %1</translation>
    </message>
    <message>
        <source>(追加済み)</source>
        <translation> (added)</translation>
    </message>
    <message>
        <source>押してから画像をクリックすると、その点の線の色(5×5画素のうち紙の色から最も遠い色)を選びます</source>
        <translation>Press, then click the picture to take the line&apos;s colour there (of the 5×5 pixels, the one farthest from the paper)</translation>
    </message>
    <message>
        <source>読み取るときに、この画像での線の色のばらつきから許容差を決めます</source>
        <translation>When reading, the tolerance is set from how much the line&apos;s colour varies in this picture</translation>
    </message>
    <message>
        <source>除外</source>
        <translation>Exclude</translation>
    </message>
    <message>
        <source>押している間、画像上をドラッグした長方形を読取から除きます(凡例、文字など)。読取ファイルには保存されません</source>
        <translation>While down, rectangles dragged on the picture are left out of the reading (legends, labels). They are not saved in the reading file</translation>
    </message>
    <message>
        <source>除外解除</source>
        <translation>Clear excl.</translation>
    </message>
    <message>
        <source>自動: 読み取った後に使った許容差を示します</source>
        <translation>Auto: shows the tolerance used after a read</translation>
    </message>
    <message>
        <source>スポイトの色: 最も近い色見本との差 ΔE %1</source>
        <translation>Picked colour: ΔE %1 from the nearest swatch</translation>
    </message>
    <message>
        <source>自動</source>
        <comment>tolerance</comment>
        <translation>Auto</translation>
    </message>
    <message>
        <source>使用した色差: ΔE %1(自動)</source>
        <translation>colour distance used: ΔE %1 (auto)</translation>
    </message>
    <message>
        <source>使用した色差: ΔE %1</source>
        <translation>colour distance used: ΔE %1</translation>
    </message>
    <message>
        <source>曲線から離れた短い部分 %1 個(凡例の見本、ラベルなど)を除きました</source>
        <translation>%1 short pieces of the colour away from the curve (a legend sample, a label) were left out</translation>
    </message>
    <message>
        <source>マーカーの下の同じ色の線を除いて読みました</source>
        <translation>a line of the markers&apos; colour was taken away to find them</translation>
    </message>
    <message>
        <source>範囲(開始・終了)は有限で、枠線の範囲の幅の100万倍以内(対数軸では桁数)にして下さい。</source>
        <translation>From and To must be finite and within a million times the frame&apos;s span (decades on a log axis).</translation>
    </message>
    <message>
        <source>開始と終了が同じです(同じ値で読めるのは1点だけです)。</source>
        <translation>From and To are equal (only one point can be read there).</translation>
    </message>
    <message>
        <source>枠線の大きさが0です(角が面積を囲んでいません)。</source>
        <translation>the frame has zero size (its corners enclose no area).</translation>
    </message>
    <message>
        <source>枠線の2つのX値が同じです。</source>
        <translation>the frame&apos;s two X values are equal.</translation>
    </message>
    <message>
        <source>枠線の2つのY値が同じです。</source>
        <translation>the frame&apos;s two Y values are equal.</translation>
    </message>
    <message>
        <source>読み取る範囲に色がありません。</source>
        <translation>there is no colour in the area read.</translation>
    </message>
    <message>
        <source>この色は画像にありません(ΔE %1 以内に該当なし)。最も近い色は %2 (ΔE %3) です。</source>
        <translation>this colour is not in the picture (nothing within ΔE %1); the nearest colour is %2 (ΔE %3).</translation>
    </message>
    <message>
        <source>この色は線だけです：X刻みかY刻みを使って下さい</source>
        <translation>only lines of this colour: use X or Y steps</translation>
    </message>
    <message>
        <source>枠線の角の位置が定義されていません。</source>
        <translation>the frame&apos;s corner positions are not set.</translation>
    </message>
    <message>
        <source>枠線の%1値「%2」は数値ではありません。</source>
        <translation>the frame&apos;s %1 value &quot;%2&quot; is not a number.</translation>
    </message>
    <message>
        <source>%1軸は対数ですが、枠線の%1値に0が含まれています。</source>
        <translation>the %1 axis is log but the frame&apos;s %1 values include 0</translation>
    </message>
    <message>
        <source>%1軸は対数ですが、枠線の%1値に負の値が含まれています。</source>
        <translation>the %1 axis is log but the frame&apos;s %1 values include a negative value</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>%1 には値が必要です</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>--color には16進数6桁 RRGGBB が必要です(「%1」は使えません)</source>
        <translation>--color needs six hexadecimal digits RRGGBB, not %1</translation>
    </message>
    <message>
        <source>--points は 1 から 100000 の整数です(「%1」は使えません)</source>
        <translation>--points must be a whole number from 1 to 100000, not %1</translation>
    </message>
    <message>
        <source>--margin は 0 以上の画素数です(「%1」は使えません)</source>
        <translation>--margin must be a number of pixels &gt;= 0, not %1</translation>
    </message>
    <message>
        <source>--series は 1 から 16 です(「%1」は使えません)</source>
        <translation>--series must be 1..16, not %1</translation>
    </message>
    <message>
        <source>--format は json 又は csv です(「%1」は使えません)</source>
        <translation>--format must be json or csv, not %1</translation>
    </message>
    <message>
        <source>--save にはファイル名が必要です</source>
        <translation>--save needs a file name</translation>
    </message>
    <message>
        <source>不明なオプション %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>一度に読める読取ファイルは一つです</source>
        <translation>only one reading file can be read at a time</translation>
    </message>
    <message>
        <source>読取ファイルが指定されていません</source>
        <translation>no reading file given</translation>
    </message>
    <message>
        <source>--color が必要です</source>
        <translation>--color is required</translation>
    </message>
    <message>
        <source>方法を一つ指定して下さい: --x-step、--y-step、--points 又は --markers</source>
        <translation>one method is required: --x-step, --y-step, --points or --markers</translation>
    </message>
    <message>
        <source>--x-step、--y-step、--points、--markers はどれか一つだけ指定できます</source>
        <translation>only one of --x-step, --y-step, --points and --markers can be given</translation>
    </message>
    <message>
        <source>--from と --to は刻みの方法に使います(--markers には使えません)</source>
        <translation>--from and --to belong to a stepping method, not --markers</translation>
    </message>
    <message>
        <source>画像を読めません: %1</source>
        <translation>cannot read the picture %1</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>枠線の定義が完了していません: %1</source>
        <translation>the reading has no complete frame: %1</translation>
    </message>
    <message>
        <source>この色は見つかりませんでした</source>
        <translation>nothing of the colour found</translation>
    </message>
    <message>
        <source>(該当のない値 %1 個)</source>
        <translation> (%1 values without a match)</translation>
    </message>
    <message>
        <source>該当のない値 %1 個を飛ばしました</source>
        <translation>%1 values without a match were skipped</translation>
    </message>
    <message>
        <source>&apos;orvalinetrix %1 --help&apos; で使い方を表示します。</source>
        <translation>Try &apos;orvalinetrix %1 --help&apos;.</translation>
    </message>
    <message>
        <source>不明な近似の種類「%1」(linear、log、poly、power 又は exp)</source>
        <translation>unknown kind &apos;%1&apos; (linear, log, poly, power or exp)</translation>
    </message>
    <message>
        <source>入力ファイルは一つだけ指定できます</source>
        <translation>only one input file can be given</translation>
    </message>
    <message>
        <source>--kind が必要です(linear、log、poly、power 又は exp)</source>
        <translation>--kind is required (linear, log, poly, power or exp)</translation>
    </message>
    <message>
        <source>--degree は 2 から 6 の整数です</source>
        <translation>--degree must be a whole number from 2 to 6</translation>
    </message>
    <message>
        <source>--intercept は linear、poly、exp でのみ使えます</source>
        <translation>--intercept is available for linear, poly and exp only</translation>
    </message>
    <message>
        <source>--intercept には数値が必要です(「%1」は数値ではありません)</source>
        <translation>--intercept needs a number, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>標準入力を読めません</source>
        <translation>standard input cannot be read</translation>
    </message>
    <message>
        <source>%1 を読めません: %2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>%1 行目: X,Y の数値ではありません(「%2」)</source>
        <translation>line %1: expected X,Y numbers, got &apos;%2&apos;</translation>
    </message>
    <message>
        <source>1000個以上のデータには対応できません。</source>
        <translation>1000 or more data points cannot be handled.</translation>
    </message>
    <message>
        <source>X 又は Y のない %1 行を除きました</source>
        <translation>%1 rows without X or Y were left out</translation>
    </message>
    <message>
        <source>式の文字列と X を指定して下さい</source>
        <translation>expected EQUATION-TEXT and X</translation>
    </message>
    <message>
        <source>式の文字列は y= で始まります</source>
        <translation>the equation text must begin with y=</translation>
    </message>
    <message>
        <source>X には数値が必要です(「%1」は数値ではありません)</source>
        <translation>X must be a number, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 の表示形式「%2」は使えません</source>
        <translation>unknown display pattern for %1: %2</translation>
    </message>
    <message>
        <source>--format は csv 又は json です(「%1」は使えません)</source>
        <translation>--format must be csv or json, not %1</translation>
    </message>
    <message>
        <source>--out にはフォルダーが必要です</source>
        <translation>--out needs a folder</translation>
    </message>
    <message>
        <source>一度に書き出せる読取ファイルは一つです</source>
        <translation>only one reading file can be exported at a time</translation>
    </message>
    <message>
        <source>警告: 画像ファイルがありません: %1</source>
        <translation>warning: the picture file is missing: %1</translation>
    </message>
    <message>
        <source>フォルダー %1 を作れません</source>
        <translation>cannot create the folder %1</translation>
    </message>
    <message>
        <source>--tolerance は auto か 0 から 60 の数値です(「%1」は使えません)</source>
        <translation>--tolerance must be auto or a number from 0 to 60, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>--exclude には四つの数値 X0,Y0,X1,Y1 が要ります(「%1」は使えません)</source>
        <translation>--exclude needs four numbers X0,Y0,X1,Y1, not &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1 点を保存する読取に追加しませんでした: 一つの読取には 250 点までです</source>
        <translation>%1 points were left out of the saved reading: a reading holds at most 250 points</translation>
    </message>
    <message>
        <source>読取に点がありません。何も書き出しませんでした</source>
        <translation>the reading has no points; nothing written</translation>
    </message>
    <message>
        <source>%1 は正の数値です(日時の軸では 30s、15min、6h、1d、1mo、1y のような長さ。「%2」は使えません)</source>
        <translation>%1 must be a positive number (on a date axis a duration such as 30s, 15min, 6h, 1d, 1mo, 1y), not %2</translation>
    </message>
    <message>
        <source>%1 は数値です(日時の軸では日付。「%2」は使えません)</source>
        <translation>%1 must be a number (a date on a date axis), not %2</translation>
    </message>
    <message>
        <source>長さ「%1」は日時の軸にだけ使えます。刻みは正の数値です</source>
        <translation>a duration such as %1 needs a date axis; the step must be a positive number</translation>
    </message>
    <message>
        <source>%1 行目: X は日付又は時刻、Y は数値です(「%2」)</source>
        <translation>line %1: expected a date or time for X and a number for Y, got &apos;%2&apos;</translation>
    </message>
    <message>
        <source>%1 と %2 は両立しません</source>
        <translation>%1 and %2 contradict each other</translation>
    </message>
    <message>
        <source>表示形式 %1 は日時の軸 (%2) には使えません</source>
        <translation>the pattern %1 does not belong to the axis of dates (%2)</translation>
    </message>
    <message>
        <source>表示形式 %1 は数値の軸 (%2) には使えません</source>
        <translation>the pattern %1 does not belong to the axis of numbers (%2)</translation>
    </message>
</context>
<context>
    <name>Dates</name>
    <message>
        <source>「%1」は日付でも時刻でもありません。2020-03-01、2020/3/1、2020-03-01 09:00、09:30 のように入力して下さい。</source>
        <translation>&quot;%1&quot; is neither a date nor a time. Type it like 2020-03-01, 2020/3/1, 2020-03-01 09:00 or 09:30.</translation>
    </message>
    <message>
        <source>「%1」の月が 1～12 の範囲にありません。</source>
        <translation>The month of &quot;%1&quot; is not from 1 to 12.</translation>
    </message>
    <message>
        <source>「%1」の日がその月の日数を超えています。</source>
        <translation>The day of &quot;%1&quot; is past the end of its month.</translation>
    </message>
    <message>
        <source>「%1」の時刻が範囲外です（時 0～23、分と秒 0～59）。</source>
        <translation>The time of &quot;%1&quot; is out of range (hours 0 to 23, minutes and seconds 0 to 59).</translation>
    </message>
    <message>
        <source>「%1」の年が 1～9999 の範囲にありません。</source>
        <translation>The year of &quot;%1&quot; is not from 1 to 9999.</translation>
    </message>
    <message>
        <source>「%1」は時間の長さではありません。30s、15min、6h、1d、1mo、1y のように指定して下さい。</source>
        <translation>&quot;%1&quot; is no length of time. Give it like 30s, 15min, 6h, 1d, 1mo or 1y.</translation>
    </message>
</context>
<context>
    <name>Graph</name>
    <message>
        <source>グラフウィンドウを閉じると全ての読出し(系列)ウィンドウも閉じます。<byte value="xd"/>よろしいですか？</source>
        <translation>Closing the graph window also closes all series windows.<byte value="xd"/>Do you want to continue?</translation>
    </message>
    <message>
        <source>読み出し値を追加する系列を選択し、グラフ画像上でポイントをクリックして下さい。</source>
        <translation>Choose the series to add readings to, then click points on the graph picture.</translation>
    </message>
    <message>
        <source>エラー！(No.2)(読み出しポイントは250点までです。不要なポイントを削除して下さい。)</source>
        <translation>Error! (No.2) (A series holds at most 250 points. Delete the points you do not need.)</translation>
    </message>
    <message>
        <source>全体</source>
        <translation>Whole</translation>
    </message>
    <message>
        <source>選択を解除しました。点を追加するには、もう一度クリックして下さい。</source>
        <translation>Selection cleared. Click again to add a point.</translation>
    </message>
    <message>
        <source>角は点や他の角の上には置けません。少しずらして放して下さい。</source>
        <translation>A corner cannot be dropped on a point or another corner. Release it a little to one side.</translation>
    </message>
    <message>
        <source>点は他の点や角の上には置けません。少しずらして放して下さい。</source>
        <translation>A point cannot be dropped on another point or a corner. Release it a little to one side.</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>点の追加</source>
        <translation>Add Point</translation>
    </message>
    <message>
        <source>点の移動</source>
        <translation>Move Point</translation>
    </message>
    <message>
        <source>点の移動(矢印キー)</source>
        <translation>Move Point (Arrow Key)</translation>
    </message>
    <message>
        <source>点の削除</source>
        <translation>Delete Point</translation>
    </message>
    <message>
        <source>選択行削除</source>
        <translation>Delete Rows</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Delete All</translation>
    </message>
    <message>
        <source>Zの入力</source>
        <translation>Enter Z</translation>
    </message>
    <message>
        <source>再読出し</source>
        <translation>Re-read</translation>
    </message>
    <message>
        <source>並べ替え</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>枠の角の指定</source>
        <translation>Place Frame Corner</translation>
    </message>
    <message>
        <source>枠の角の移動</source>
        <translation>Move Frame Corner</translation>
    </message>
    <message>
        <source>枠の角の移動(矢印キー)</source>
        <translation>Move Frame Corner (Arrow Key)</translation>
    </message>
    <message>
        <source>枠の定義方法の切替</source>
        <translation>Switch Frame Mode</translation>
    </message>
    <message>
        <source>系列ウィンドウを閉じる</source>
        <translation>Close Series Window</translation>
    </message>
    <message>
        <source>点の追加(複数)</source>
        <translation>Add Points</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>軸の値の変更</source>
        <translation>Change Axis Value</translation>
    </message>
    <message>
        <source>枠の位置の変更</source>
        <translation>Change Frame Position</translation>
    </message>
    <message>
        <source>軸の種類の変更</source>
        <translation>Change Axis Kind</translation>
    </message>
    <message>
        <source>自動校正</source>
        <translation>Auto calibrate</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>状態設定ファイルを開く(&amp;I)</source>
        <translation>Open &amp;Reading File...</translation>
    </message>
    <message>
        <source>新規グラフ画像読込み(&amp;O)</source>
        <translation>&amp;Open Graph Picture...</translation>
    </message>
    <message>
        <source>クリップボードから画像読込み(&amp;C)</source>
        <translation>Paste Picture from &amp;Clipboard</translation>
    </message>
    <message>
        <source>現在の状態をファイルに保存(&amp;S)</source>
        <translation>&amp;Save Reading...</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>ウィンドウ(&amp;W)</source>
        <translation>&amp;Window</translation>
    </message>
    <message>
        <source>ウィンドウの整列(&amp;S)</source>
        <translation>&amp;Arrange Windows</translation>
    </message>
    <message>
        <source>その他(&amp;E)</source>
        <translation>&amp;Other</translation>
    </message>
    <message>
        <source>目盛線を表示(&amp;G)</source>
        <translation>Show &amp;Grid Lines</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;V)</source>
        <translation>&amp;Version Information</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>状態設定ファイル、画像ファイルを開く</source>
        <translation>Open a reading file or a picture file</translation>
    </message>
    <message>
        <source>現在の状態をファイルに保存</source>
        <translation>Save the reading to a file</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>目盛線を表示(枠線の座標の目盛線を画像に重ねて描きます)</source>
        <translation>Show grid lines (draws the frame&apos;s grid lines over the picture)</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>Version information</translation>
    </message>
    <message>
        <source>ヘルプを表示</source>
        <translation>Show the help</translation>
    </message>
    <message>
        <source>「参照」ボタンを押して、グラフ画像ファイルを開く、又は「Clipboardから貼付(bmp限定)」ボタンを押して画像を読み込んで下さい。</source>
        <translation>Press &quot;Browse&quot; to open a graph picture file, or paste a picture from the clipboard.</translation>
    </message>
    <message>
        <source>状態設定ファイルを開く</source>
        <translation>Open Reading File</translation>
    </message>
    <message>
        <source>状態設定ファイル(*.orvd)|*.orvd</source>
        <translation>Reading files(*.orvd)|*.orvd</translation>
    </message>
    <message>
        <source>エラー！(No.1)(不正な画像ファイルです。)</source>
        <translation>Error! (No.1) (Not a valid picture file.)</translation>
    </message>
    <message>
        <source>エラー！(No.1)(画像が大きすぎます。1億5千万画素までの画像を開けます。)</source>
        <translation>Error! (No.1) (The picture is too large. Pictures of up to 150 million pixels can be opened.)</translation>
    </message>
    <message>
        <source>エラー！(No.1)(有効な画像データがありません。)</source>
        <translation>Error! (No.1) (There is no valid picture data.)</translation>
    </message>
    <message>
        <source>クリップボードからの読み込みに失敗しました。</source>
        <translation>Could not read the picture from the clipboard.</translation>
    </message>
    <message>
        <source>エラー！(No.0)</source>
        <translation>Error! (No.0)</translation>
    </message>
    <message>
        <source>対数(Log)軸で0又は0以下の指定は出来ません。<byte value="xd"/>(暫定的に0.01に変更します。)</source>
        <translation>A logarithmic (Log) axis cannot take 0 or less.<byte value="xd"/>(Changed to 0.01 for now.)</translation>
    </message>
    <message>
        <source>斜めから撮影したグラフ(写真)を正確に読み取ります。
グラフの4隅をクリックして下さい(4点定義と同じ操作です)。</source>
        <translation>Reads a graph photographed at an angle exactly.
Click the graph&apos;s 4 corners (as with 4 Points).</translation>
    </message>
    <message>
        <source>元に戻す - %1(&amp;U)</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message>
        <source>やり直し - %1(&amp;R)</source>
        <translation>&amp;Redo %1</translation>
    </message>
    <message>
        <source>デスクトップに合わせる</source>
        <translation>Follow the Desktop</translation>
    </message>
    <message>
        <source>次回の起動から切り替わります</source>
        <translation>Takes effect at the next start</translation>
    </message>
    <message>
        <source>グラフ画像読込み</source>
        <translation>Graph Picture</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>グラフの左下の数値を入力して下さい。</source>
        <translation>Enter the values at the graph&apos;s lower left corner.</translation>
    </message>
    <message>
        <source>グラフの右上の数値を入力して下さい。</source>
        <translation>Enter the values at the graph&apos;s upper right corner.</translation>
    </message>
    <message>
        <source>枠線定義</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source>対角定義</source>
        <translation>Diagonal</translation>
    </message>
    <message>
        <source>4点定義</source>
        <translation>4 Points</translation>
    </message>
    <message>
        <source>射影定義</source>
        <translation>Projective</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>Upper Left</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>Upper Right</translation>
    </message>
    <message>
        <source>左下</source>
        <translation>Lower Left</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>Lower Right</translation>
    </message>
    <message>
        <source>リニア</source>
        <translation>Linear</translation>
    </message>
    <message>
        <source>X軸</source>
        <translation>X Axis</translation>
    </message>
    <message>
        <source>Y軸</source>
        <translation>Y Axis</translation>
    </message>
    <message>
        <source>読み出し値</source>
        <translation>Readout</translation>
    </message>
    <message>
        <source>系列</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>有効桁(X)</source>
        <translation>Digits (X)</translation>
    </message>
    <message>
        <source>有効桁(Y)</source>
        <translation>Digits (Y)</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
    <message>
        <source>拡大ウィンドウ</source>
        <translation>Magnifier</translation>
    </message>
    <message>
        <source>拡大倍率</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>系列%1</source>
        <translation>Series %1</translation>
    </message>
    <message>
        <source>系列%1：ID=%2,X=%3,Y=%4,Z=%5</source>
        <translation>Series %1: ID=%2, X=%3, Y=%4, Z=%5</translation>
    </message>
    <message>
        <source>自動読取(&amp;A)...</source>
        <translation>&amp;Automatic Reading...</translation>
    </message>
    <message>
        <source>自動読取(曲線やマーカーを色で読み取ります)</source>
        <translation>Automatic reading (reads curves and markers by their colour)</translation>
    </message>
    <message>
        <source>全てのファイル(*.*)|*.*|JPG(*.jpg)|*.jpg|Bitmap(*.bmp)|*.bmp|JPEG(*.jpeg)|*.jpeg|GIF(*.gif)|*.gif|PNG(*.png)|*.png|PDF(*.pdf)|*.pdf|状態設定ファイル(*.orvd)|*.orvd</source>
        <translation>All files(*.*)|*.*|JPG(*.jpg)|*.jpg|Bitmap(*.bmp)|*.bmp|JPEG(*.jpeg)|*.jpeg|GIF(*.gif)|*.gif|PNG(*.png)|*.png|PDF(*.pdf)|*.pdf|Reading files(*.orvd)|*.orvd</translation>
    </message>
    <message>
        <source>エラー！(No.1)(このファイルは開けません：%1)<byte value="xd"/>開けるのは画像ファイル(jpg, jpeg, bmp, gif, png)、PDFファイル(pdf)と状態設定ファイル(orvd)です。</source>
        <translation>Error! (No.1) (This file cannot be opened: %1)<byte value="xd"/>Picture files (jpg, jpeg, bmp, gif, png), PDF files (pdf) and reading files (orvd) can be opened.</translation>
    </message>
    <message>
        <source>PDFのページを選択 - %1</source>
        <translation>Choose a PDF Page - %1</translation>
    </message>
    <message>
        <source>ページ:</source>
        <translation>Page:</translation>
    </message>
    <message>
        <source>解像度:</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>画像の大きさ:</source>
        <translation>Picture size:</translation>
    </message>
    <message>
        <source>%1 × %2 ピクセル</source>
        <translation>%1 × %2 pixels</translation>
    </message>
    <message>
        <source>エラー！(No.1)(画像全体を読み込めませんでした。)<byte value="xd"/>表示しているのは縮小した画像(%1×%2画素、元の画像は%3×%4画素)です。拡大ウィンドウと自動読取もこの細かさになります。</source>
        <translation>Error! (No.1) (The whole picture could not be read.)<byte value="xd"/>The picture shown is a reduced copy (%1×%2 pixels; the picture has %3×%4). The magnifier and the automatic reading work at this detail too.</translation>
    </message>
    <message>
        <source> (縮小表示)</source>
        <translation> (reduced)</translation>
    </message>
    <message>
        <source>開いたグラフ画像で枠線を定義するため、グラフの角を画像上で選択して下さい。 (対角定義、4点定義又は、射影定義)</source>
        <translation>To define the frame, click the graph&apos;s corners on the opened picture. (Diagonal, 4 Points or Projective)</translation>
    </message>
    <message>
        <source>自動校正(&amp;C)...</source>
        <translation>Auto &amp;calibrate...</translation>
    </message>
    <message>
        <source>自動校正</source>
        <translation>Auto calibrate</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date/time</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>保存先がありません。</source>
        <translation>No file to save to was given.</translation>
    </message>
    <message>
        <source>保存先がフォルダーです。</source>
        <translation>The destination is a folder.</translation>
    </message>
    <message>
        <source>保存先のフォルダーがないか、書き込みが許可されていません。</source>
        <translation>The destination folder does not exist or cannot be written to.</translation>
    </message>
    <message>
        <source>書き込み中にエラーが発生しました。ディスクの空き容量を確認して下さい。</source>
        <translation>An error occurred while writing. Check the free disk space.</translation>
    </message>
    <message>
        <source>型が一致しません。</source>
        <translation>Type mismatch.</translation>
    </message>
    <message>
        <source>プロシージャの呼び出し、または引数が不正です。</source>
        <translation>Invalid procedure call or argument.</translation>
    </message>
    <message>
        <source>0 で除算しました。またはオーバーフローしました。</source>
        <translation>Division by zero or overflow.</translation>
    </message>
    <message>
        <source>エラー！(No.2)(座標変換ができません。枠線の定義と軸の値を確認して下さい。)<byte value="xd"/></source>
        <translation>Error! (No.2) (The coordinates cannot be converted. Check the frame and the axis values.)<byte value="xd"/></translation>
    </message>
    <message>
        <source>ウィンドウを閉じると読み出したデータが破棄されます。<byte value="xd"/>ウィンドウを閉じますか？</source>
        <translation>Closing the window discards the data read.<byte value="xd"/>Close the window?</translation>
    </message>
    <message>
        <source>保存されていない変更があります。<byte value="xd"/>保存しますか？</source>
        <translation>There are unsaved changes.<byte value="xd"/>Do you want to save them?</translation>
    </message>
    <message>
        <source>前回、保存されずに終了した読み取りがあります。<byte value="xd"/>復元しますか？</source>
        <translation>A reading was left unsaved when the program last ended.<byte value="xd"/>Do you want to restore it?</translation>
    </message>
    <message>
        <source>構文エラーです。</source>
        <translation>Syntax error.</translation>
    </message>
    <message>
        <source>0 で除算しました。</source>
        <translation>Division by zero.</translation>
    </message>
    <message>
        <source>オーバーフローしました。</source>
        <translation>Overflow.</translation>
    </message>
    <message>
        <source>エラー！(No.1)(枠線定義の座標が数値ではありません。)</source>
        <translation>Error! (No.1) (The frame&apos;s corner coordinates are not numbers.)</translation>
    </message>
    <message>
        <source>エラー！(No.3)(ファイルを保存できませんでした。</source>
        <translation>Error! (No.3) (The file could not be saved. </translation>
    </message>
    <message>
        <source>%1 は既に存在します。<byte value="xd"/>置き換えますか？</source>
        <translation>%1 already exists.<byte value="xd"/>Do you want to replace it?</translation>
    </message>
    <message>
        <source>エラー！(No.3)(画像を保存できませんでした。)<byte value="xd"/></source>
        <translation>Error! (No.3) (The picture could not be saved.)<byte value="xd"/></translation>
    </message>
    <message>
        <source><byte value="xd"/>座標を修正してから保存して下さい。</source>
        <translation><byte value="xd"/>Correct the coordinates before saving.</translation>
    </message>
    <message>
        <source>状態設定ファイルがありません。</source>
        <translation>The reading file does not exist.</translation>
    </message>
    <message>
        <source>通常のファイルではありません。</source>
        <translation>Not a regular file.</translation>
    </message>
    <message>
        <source>ファイルを読み込めません。</source>
        <translation>The file cannot be read.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます。</source>
        <translation>The file is too large.</translation>
    </message>
    <message>
        <source>長すぎる行があります。</source>
        <translation>A line is too long.</translation>
    </message>
    <message>
        <source>テキストファイルではありません。</source>
        <translation>Not a text file.</translation>
    </message>
    <message>
        <source>状態設定ファイルの形式ではありません。</source>
        <translation>Not a reading file.</translation>
    </message>
    <message>
        <source>エラー！(No.1)(不正な状態設定ファイルです。%1)<byte value="xd"/>%2</source>
        <translation>Error! (No.1) (Invalid reading file. %1)<byte value="xd"/>%2</translation>
    </message>
    <message>
        <source>記録された場所に画像がないため、状態設定ファイルと同じフォルダの画像を開きました。<byte value="xd"/>%1</source>
        <translation>The picture was not where the reading recorded it; the picture in the reading file&apos;s folder was opened.<byte value="xd"/>%1</translation>
    </message>
    <message>
        <source>エラー！(No.2)(軸の種類(Linear/Log)を読み取れませんでした。選択中の種類で変換しました。)</source>
        <translation>Error! (No.2) (The axis type (Linear/Log) could not be read. The selected type was used.)</translation>
    </message>
    <message>
        <source>エラー！(No.2)(X、Yの値に変換できない点がありました。(%1点))<byte value="xd"/>枠線定義の値を確認して、再読出しを行って下さい。</source>
        <translation>Error! (No.2) (Some points could not be converted to X and Y values. (%1 points))<byte value="xd"/>Check the frame&apos;s values and re-read.</translation>
    </message>
    <message>
        <source>エラー！(No.2)(読み込めない点のデータを無視しました。(%1行))</source>
        <translation>Error! (No.2) (Unreadable point data was ignored. (%1 lines))</translation>
    </message>
    <message>
        <source>ID255を超える点のデータを無視しました。(%1行)</source>
        <translation>Point data beyond ID 255 was ignored. (%1 lines)</translation>
    </message>
    <message>
        <source>ファイル中の制御文字を取り除きました。(%1文字)</source>
        <translation>Control characters were removed from the file. (%1 characters)</translation>
    </message>
    <message>
        <source>枠線定義以降にのみ保存可能です。</source>
        <translation>The reading can be saved only after the frame is defined.</translation>
    </message>
    <message>
        <source>保存しました。</source>
        <translation>Saved.</translation>
    </message>
    <message>
        <source>エラー！(No.1)(グラフの角の数値に「,」があります。)<byte value="xd"/>数値を修正してから保存して下さい。</source>
        <translation>Error! (No.1) (A corner value of the graph contains &quot;,&quot;.)<byte value="xd"/>Correct the value before saving.</translation>
    </message>
    <message>
        <source>保存先を入力</source>
        <translation>Save Reading As</translation>
    </message>
    <message>
        <source>設定保存ファイル(*.orvd)|*.orvd</source>
        <translation>Reading files(*.orvd)|*.orvd</translation>
    </message>
    <message>
        <source>状態設定ファイルを開く</source>
        <translation>Open Reading File</translation>
    </message>
    <message>
        <source>状態設定ファイル(*.orvd)|*.orvd</source>
        <translation>Reading files(*.orvd)|*.orvd</translation>
    </message>
    <message>
        <source>エラー！(No.1)(不正な画像ファイル又は、画像がありません。)</source>
        <translation>Error! (No.1) (Invalid picture file, or no picture.)</translation>
    </message>
    <message>
        <source>エラー！(No.1)(パスワードで保護されたPDFファイルは開けません。)</source>
        <translation>Error! (No.1) (A password-protected PDF file cannot be opened.)</translation>
    </message>
    <message>
        <source>クラッシュ時の復旧は働いていません。保存していない変更は、プログラムが異常終了すると失われます。<byte value="xd"/>理由: %1</source>
        <translation>Crash recovery is off: unsaved changes are lost if the program ends abnormally.<byte value="xd"/>Reason: %1</translation>
    </message>
    <message>
        <source>クラッシュ時の復旧: 無効</source>
        <translation>Crash recovery: off</translation>
    </message>
    <message>
        <source>フォルダー %1 を作成できません。</source>
        <translation>The folder %1 cannot be created.</translation>
    </message>
    <message>
        <source>%1 はフォルダーではありません。</source>
        <translation>%1 is not a folder.</translation>
    </message>
    <message>
        <source>フォルダー %1 の所有者が別のユーザーです。</source>
        <translation>The folder %1 belongs to another user.</translation>
    </message>
    <message>
        <source>フォルダー %1 を他のユーザーから読めないようにできません。</source>
        <translation>The folder %1 cannot be closed to other users.</translation>
    </message>
    <message>
        <source>データを保存するフォルダーがありません。</source>
        <translation>There is no folder for the program&apos;s data.</translation>
    </message>
    <message>
        <source>フォルダー %1 に書き込めません。</source>
        <translation>The folder %1 cannot be written to.</translation>
    </message>
    <message>
        <source>PDFファイルに %1 ページ目がありません(全 %2 ページ)。画像なしで枠線定義と点のデータを開きました。<byte value="xd"/>%3</source>
        <translation>The PDF file has no page %1 (it has %2 pages). The frame and the points were opened without the picture.<byte value="xd"/>%3</translation>
    </message>
</context>
<context>
    <name>Pictures</name>
    <message>
        <source>左下</source>
        <translation>LL</translation>
    </message>
    <message>
        <source>左上</source>
        <translation>UL</translation>
    </message>
    <message>
        <source>右上</source>
        <translation>UR</translation>
    </message>
    <message>
        <source>右下</source>
        <translation>LR</translation>
    </message>
    <message>
        <source>2点をクリック</source>
        <translation>Click 2 points</translation>
    </message>
    <message>
        <source>4点をクリック</source>
        <translation>Click 4 points</translation>
    </message>
    <message>
        <source>3 点をクリック</source>
        <translation>Click 3 points</translation>
    </message>
</context>
<context>
    <name>Processing</name>
    <message>
        <source>文字「x」に対し、置き換える文字を入力して下さい。(A1、B2等)</source>
        <translation>Enter the text that replaces &quot;x&quot;. (A1, B2, ...)</translation>
    </message>
    <message>
        <source>置換文字入力</source>
        <translation>Replace x</translation>
    </message>
    <message>
        <source>Lｎにおいて0又は0以下の数値は計算できません。</source>
        <translation>Ln cannot be computed for 0 or less.</translation>
    </message>
    <message>
        <source>エラー！(No.5)(近似値を計算できません。%1)</source>
        <translation>Error! (No.5) (The fitted value cannot be computed. %1)</translation>
    </message>
    <message>
        <source>：ID=</source>
        <translation>: ID=</translation>
    </message>
    <message>
        <source>Excel用に置換</source>
        <translation>For Spreadsheet</translation>
    </message>
    <message>
        <source>Clipboardにコピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>近似式</source>
        <translation>Equation</translation>
    </message>
    <message>
        <source>R^2値</source>
        <translation>R^2</translation>
    </message>
    <message>
        <source>任意点の近似値</source>
        <translation>Value at Any X</translation>
    </message>
    <message>
        <source>計算</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>X値</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y値(近似値)</source>
        <translation>Y (fitted)</translation>
    </message>
    <message>
        <source>グラフ描画</source>
        <translation>Draw on the Graph</translation>
    </message>
    <message>
        <source>グラフに描画</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>線幅</source>
        <translation>Line width</translation>
    </message>
    <message>
        <source>描画色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>エラー！(No.6)(グラフの範囲が不正です。左下と右上のX値、Y値にはそれぞれ異なる値を入力して下さい。)</source>
        <translation>Error! (No.6) (Invalid graph range. Enter different X values and different Y values at the lower left and upper right.)</translation>
    </message>
    <message>
        <source>並び替え</source>
        <translation>Sort</translation>
    </message>
    <message>
        <source>CSV保存</source>
        <translation>Save CSV</translation>
    </message>
    <message>
        <source>エラー！(No.3)(CSVファイルを保存できませんでした。)<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>Error! (No.3) (The CSV file could not be saved.)<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>作成</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>実行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>CSVファイル保存</source>
        <translation>Save CSV File</translation>
    </message>
    <message>
        <source>CSVファイル(*.csv)|*.csv</source>
        <translation>CSV files(*.csv)|*.csv</translation>
    </message>
    <message>
        <source>系列がありません。</source>
        <translation>There is no such series.</translation>
    </message>
    <message>
        <source>文字コードを変換できません。</source>
        <translation>The text cannot be written in the file&apos;s character set.</translation>
    </message>
    <message>
        <source>  -近似式</source>
        <translation>  - Equation</translation>
    </message>
    <message>
        <source>データ処理</source>
        <translation>Processing</translation>
    </message>
    <message>
        <source>保存しました。</source>
        <translation>Saved.</translation>
    </message>
    <message>
        <source>1000個以上のデータには対応できません。</source>
        <translation>1000 or more data points cannot be handled.</translation>
    </message>
    <message>
        <source>処理する系列&#x3000;：</source>
        <translation>Series:</translation>
    </message>
    <message>
        <source>次数：</source>
        <translation>Degree:</translation>
    </message>
    <message>
        <source>切片を指定</source>
        <translation>Fixed intercept</translation>
    </message>
    <message>
        <source>昇順</source>
        <translation>Ascending</translation>
    </message>
    <message>
        <source>降順</source>
        <translation>Descending</translation>
    </message>
    <message>
        <source>参照</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>線形近似</source>
        <translation>Linear</translation>
    </message>
    <message>
        <source>対数近似</source>
        <translation>Logarithmic</translation>
    </message>
    <message>
        <source>多項式近似</source>
        <translation>Polynomial</translation>
    </message>
    <message>
        <source>累乗近似</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>指数近似</source>
        <translation>Exponential</translation>
    </message>
    <message>
        <source>エラー！(No.4)(エクセル起動、又は近似式作成エラー)</source>
        <translation>Error! (No.4) (The equation could not be made)</translation>
    </message>
    <message>
        <source>X値またはY値のない%1行は近似に使いませんでした。</source>
        <translation>%1 rows without an X or Y value were left out of the fit.</translation>
    </message>
    <message>
        <source>系列が選ばれていません</source>
        <translation>no series is chosen</translation>
    </message>
    <message>
        <source>近似の種類が不明です</source>
        <translation>unknown approximation kind</translation>
    </message>
    <message>
        <source>X と Y の両方がある行がありません</source>
        <translation>no rows with both X and Y values</translation>
    </message>
    <message>
        <source>1000 行を超えています</source>
        <translation>more than 1000 rows</translation>
    </message>
    <message>
        <source>有限の数でない値があります</source>
        <translation>a value is not a finite number</translation>
    </message>
    <message>
        <source>この種類では x がすべて 0 より大きい必要があります</source>
        <translation>this kind needs every x greater than 0</translation>
    </message>
    <message>
        <source>この種類では y がすべて 0 より大きい必要があります</source>
        <translation>this kind needs every y greater than 0</translation>
    </message>
    <message>
        <source>固定値は有限の数で、指数近似では 0 より大きい必要があります</source>
        <translation>the fixed value must be a finite number, and greater than 0 for the exponential kind</translation>
    </message>
    <message>
        <source>次数は 2 から 6 です</source>
        <translation>the degree must be 2 to 6</translation>
    </message>
    <message>
        <source>この種類と次数には、異なる x の値が足りません</source>
        <translation>too few distinct x values for this kind and degree</translation>
    </message>
    <message>
        <source>連立方程式が特異で解けません</source>
        <translation>the system is singular</translation>
    </message>
    <message>
        <source>結果が有限の数になりません</source>
        <translation>the result is not finite</translation>
    </message>
    <message>
        <source>、X 又は Y のない %1 行は除きました</source>
        <translation>; %1 rows without X or Y were left out</translation>
    </message>
    <message>
        <source>x は %1 からの日数</source>
        <translation>x is days since %1</translation>
    </message>
    <message>
        <source>y は %1 からの日数</source>
        <translation>y is days since %1</translation>
    </message>
</context>
<context>
    <name>Splash</name>
    <message>
        <source>グラフ画像から数値を読み取るツール</source>
        <translation>Reads numbers off pictures of graphs</translation>
    </message>
    <message>
        <source>本ソフトウェアは無保証です。自己責任でご利用下さい。</source>
        <translation>This software comes with no warranty. Use it at your own risk.</translation>
    </message>
</context>
<context>
    <name>Table</name>
    <message>
        <source><byte value="xd"/>%1点中%2点のX、Yを変換できなかったため、空欄にしました。</source>
        <translation><byte value="xd"/>X and Y of %2 of %1 points could not be converted; they were left empty.</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Clear All</translation>
    </message>
    <message>
        <source>選択行削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>再読出し</source>
        <translation>Re-read</translation>
    </message>
    <message>
        <source>データ処理</source>
        <translation>Process</translation>
    </message>
    <message>
        <source>この系列の読み出しデータを全て削除します。</source>
        <translation>Deletes all readings of this series.</translation>
    </message>
    <message>
        <source>選択した行の読み出しデータを削除します。</source>
        <translation>Deletes the readings in the selected rows.</translation>
    </message>
    <message>
        <source>CSV保存、近似式作成等を行います。</source>
        <translation>Saves CSV files, fits curves and more.</translation>
    </message>
    <message>
        <source>3次元グラフの場合等にユーザが入力します。(近似式作成等はできません。)</source>
        <translation>Entered by you, e.g. for 3-D graphs. (Not used in fits.)</translation>
    </message>
</context>
</TS>
