#!/usr/bin/env bash
# Runs the real program under its own virtual X server and drives it by keystrokes only, as
# a cashier would: login, retail sales keyed in the Enter order (one line with the keypad's
# Enter) and by fast scans, the next sale at once, a query exported to CSV, a preview saved
# as PDF, a sale in sales-note mode without a printer, a receiving document, a wholesale sale,
# a client receipt, a stocktake counted by keys and applied, every stock, account and statistics
# screen opened and closed, and leaving by 退出系统. After each step it checks that the program is still running, which window is active, which control
# has the keyboard, and the rows in the database.
#
#   session_test.sh BUILD_DIR sqlite|postgres [full|documents|sale] [openbox|nowm]
#
# documents: the sales, then the stock, wholesale and account documents and every screen's
# opening and closing, without the query, preview and sales-note paths.
#
# postgres needs POS_TEST_PG_URL (scripts/with-postgres). The program reports the keyboard
# through its hidden POS_DIAG_FILE aid (docs/architecture.md).
set -euo pipefail

build=$(cd "${1:?build dir}" && pwd)
backend=${2:?sqlite or postgres}
scope=${3:-full}
wm=${4:-openbox}
timeout_s=${POS_SESSION_TIMEOUT:-20}

work=$(mktemp -d /tmp/pos-session.XXXXXX)
xvfb_pid="" wm_pid="" pos_pid="" schema=""
cleanup() {
  for pid in $pos_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$schema" ]; then psql -q "$POS_TEST_PG_URL" -c "DROP SCHEMA IF EXISTS $schema CASCADE" >/dev/null 2>&1 || true; fi
  if [ -n "${POS_SESSION_KEEP:-}" ]; then echo "session: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

step() { echo "session[$backend/$wm]: $*"; }
fail() {
  echo "session[$backend/$wm] FAILED: $*" >&2
  echo "--- keyboard report:" >&2; cat "$work/diag" >&2 2>/dev/null || true
  echo "--- program output:" >&2; tail -n 30 "$work/pos.log" >&2 2>/dev/null || true
  if [ -n "${POS_SESSION_KEEP:-}" ] && [ -n "${DISPLAY:-}" ]; then
    import -window root "$work/failed.png" 2>/dev/null && echo "--- screen: $work/failed.png" >&2
  fi
  exit 1
}

# ---- the shop: a copy of the program beside its own SysSet.ini, a fresh database ----
cp "$build/pos" "$work/pos"
mkdir -p "$work/home" "$work/run" "$work/receipts"
chmod 700 "$work/run"
settings() {   # settings QUICKSCAN(0|1)
  cat >"$work/SysSet.ini" <<INI
[STUDIO]
NAME=会话测试超市
TEL=0571-88886666
DL=诚信经营
[PRINT]
ReceiptFolder=$work/receipts
[POS]
QuickScan=$1
ShowTotal=1
ReceiptWidth=80
INI
}
settings 0

case "$backend" in
  sqlite)
    url="sqlite:$work/pos.db"
    sql() { sqlite3 "$work/pos.db" "$1"; }
    ;;
  postgres)
    [ -n "${POS_TEST_PG_URL:-}" ] || fail "POS_TEST_PG_URL is not set (run under scripts/with-postgres)"
    schema="session_$$"
    psql -q "$POS_TEST_PG_URL" -c "CREATE SCHEMA $schema" >/dev/null
    url="$POS_TEST_PG_URL?schema=$schema"
    sql() { psql -qtA "$POS_TEST_PG_URL" -c "SET search_path TO $schema; $1" | tail -n 1; }
    ;;
  *) fail "unknown backend $backend" ;;
esac
"$work/pos" --database "$url" --init-database --demo-data >"$work/init.log" 2>&1 || { cat "$work/init.log" >&2; fail "no database"; }
# The shop's history: the last carry-forward closed the month before last, and the demo
# shop's goods were received on the 10th of last month, so last month is the period to close.
this_month=$(date +%Y-%m-01)
last_month=$(date -d "$this_month -1 month" +%Y-%m-01)
last_month_end=$(date -d "$this_month -1 day" +%F)
before_last_end=$(date -d "$last_month -1 day" +%F)
received="$(date -d "$last_month +9 days" +%F) 09:00:00"
sql "UPDATE sysvariable SET vrvalue = '$before_last_end' WHERE vrname = 'BalaEndDate'" >/dev/null
sql "UPDATE JHDSJB SET CZDATE = '$received', DJDATE = '$received'" >/dev/null
sql "UPDATE QTJHDMXB SET CZRQ = '$received'" >/dev/null

# ---- an X server of our own on a free display, and a window manager ----
# No key repeat: on a loaded machine xdotool's release can come late enough for the server to
# repeat the key, and a repeated Return answers the next window too.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r -ardelay 30000 -arinterval 30000 >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
unset XDG_CONFIG_HOME QT_SCALE_FACTOR
if [ "$wm" = openbox ]; then
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"
fi

# ---- the program ----
POS_DIAG_FILE="$work/diag" "$work/pos" --database "$url" >"$work/pos.log" 2>&1 &
pos_pid=$!

value() { sed -n "s/^$1=//p" "$work/diag" 2>/dev/null; }
alive() { kill -0 "$pos_pid" 2>/dev/null || { wait "$pos_pid" && code=0 || code=$?; fail "the program ended (exit code $code) $*"; }; }

# expect WINDOW FOCUS [TEXT]: waits (bounded, by polling) until WINDOW ("*": any) is active
# with the control FOCUS ("*": any) holding the keyboard and, for a message box, saying TEXT. The
# program must stay alive meanwhile.
expect() {
  local window=$1 focus=$2 text=${3:-} deadline=$((SECONDS + timeout_s))
  while :; do
    alive "while waiting for $window/$focus${text:+ saying \"$text\"}"
    if { [ "$window" = "*" ] || [ "$(value window)" = "$window" ]; } \
       && { [ "$focus" = "*" ] || [ "$(value focus)" = "$focus" ]; } \
       && { [ -z "$text" ] || value text | grep -qF -- "$text"; }; then
      # Every window opens whole inside the 1024×768 screen.
      [ "$(value inside)" = 1 ] || fail "window $window is not inside the screen"
      return 0
    fi
    [ "$SECONDS" -lt "$deadline" ] || fail "expected window $window, focus $focus${text:+, saying \"$text\"}"
    sleep 0.05
  done
}
# rows SQL EXPECTED: the database answers EXPECTED.
rows() {
  local got
  got=$(sql "$1")
  [ "$got" = "$2" ] || fail "\"$1\" gave \"$got\", expected \"$2\""
}
key() { xdotool key --delay 40 "$@"; }
# shot NAME: with POS_SESSION_SHOTS set to a folder, the whole screen as NAME.png there.
shot() { [ -z "${POS_SESSION_SHOTS:-}" ] || import -window root "$POS_SESSION_SHOTS/$1.png" 2>/dev/null || true; }
type_text() { xdotool type --delay 25 -- "$1"; }
# A barcode scanner: the code and Enter as fast as the keys come.
scan() { xdotool type --delay 3 -- "$1"; xdotool key --delay 3 Return; }

# menu_item ALT_KEY MENU ITEM_KEY: opens a main menu and chooses an item by its keys.
menu_item() {
  local deadline=$((SECONDS + timeout_s))
  key "$1"
  until [ "$(value popup)" = "$2" ]; do
    alive "while opening the menu $2"
    [ "$SECONDS" -lt "$deadline" ] || fail "the menu $2 did not open"
    sleep 0.05
  done
  key "$3"
}
open_sale_screen() {
  menu_item alt+p miSale l
  expect frmPOS edName
}
# Customer boxes left empty: Enter three times reaches the promoter, whose number and
# Enter lead to the code box.
choose_promoter() {
  key Return Return Return
  expect frmPOS edOffNO
  type_text 101
  key Return
  expect frmPOS edProductNo
}
# F1, Enter to 存盘, Enter; then each message box TEXT in turn is answered with Enter.
settle_and_save() {
  key F1
  expect frmPrintSellsData edTrueMoney
  key Return
  expect frmPrintSellsData bitPrint
  key Return
  local text
  for text in "$@"; do
    expect QMessageBox '*' "$text"
    key Return
  done
  # The sale screen has the keyboard again, in the code box, ready for the next customer.
  expect frmPOS edProductNo
}
close_screen() {   # close_screen ACCELERATOR
  key "$1"
  expect frmMenu '*'
}

step "login"
expect frmLogin edOperatorNo
type_text 001
key Return
expect frmLogin edOperatorPassword
type_text 123
key Return
expect frmLogin bitYes
key Return
expect frmMenu '*'

step "a sale keyed in the Enter order, one line with the keypad's Enter"
open_sale_screen
choose_promoter
type_text 10001001
key Return
expect frmPOS edPrice
key Return
expect frmPOS edCount
type_text 2
key KP_Enter
expect frmPOS edOffNO
key Return
expect frmPOS edProductNo
type_text 10002003
key Return
expect frmPOS edPrice
key Return
expect frmPOS edCount
key Return
expect frmPOS edOffNO
rows "SELECT COUNT(*) FROM XSB" 0
step "Esc on the sale screen keeps it and its lines"
key Escape
sleep 0.3   # time for a wrong close to happen
expect frmPOS edOffNO
key F1
expect frmPrintSellsData edTrueMoney
step "Esc on the settlement goes back to the sale"
key Escape
expect frmPOS edProductNo
rows "SELECT COUNT(*) FROM XSB" 0
settle_and_save "数据保存成功！"
rows "SELECT COUNT(*) FROM XSB" 1
rows "SELECT COUNT(*) || '/' || CAST(SUM(SPSL) AS INTEGER) FROM XSMXB" "2/3"
rows "SELECT COUNT(*) FROM SYYSKB" 1
close_screen alt+q

step "fast scans with QuickScan, then the next sale at once"
settings 1
open_sale_screen
choose_promoter
scan 10002001
scan 10002001
scan 10003001
expect frmPOS edProductNo
settle_and_save "数据保存成功！"
rows "SELECT COUNT(*) FROM XSB" 2
rows "SELECT CAST(SPSL AS INTEGER) FROM XSMXB WHERE SPNO = '10002001'" 2
scan 10004006
expect frmPOS edProductNo
settle_and_save "数据保存成功！"
rows "SELECT COUNT(*) FROM XSB" 3
rows "SELECT COUNT(*) FROM XSMXB WHERE SPNO = '10004006'" 1
[ "$(ls "$work/receipts" | wc -l)" -ge 3 ] || step "(a printer is installed: receipts went to it)"
close_screen alt+q

if [ "$scope" = full ]; then
  step "a query exported to CSV"
  menu_item alt+c miQuery x
  expect frmQueryProductSell '*'
  query_window=$(value window)
  key F8
  # F8 without a condition: the plain box carries the program's title.
  expect QMessageBox '*' "请输入查询条件"
  [ "$(value title)" != pos ] || fail "a message box is titled with the executable's name"
  key Return
  expect "$query_window" '*'
  # A condition by keys: 销售编号 包含 0 (every sale number has a zero).
  expect "$query_window" cbSelectItem
  key Down Tab
  expect "$query_window" cbSelectCompare
  key Down Down Down Down Down Down Down Tab
  expect "$query_window" cbSelectContent
  type_text 0
  key F8
  key alt+x
  expect dlgExportCsv '*'
  key ctrl+a
  type_text "$work/sales.csv"
  key Return
  expect QMessageBox '*' "已导出"
  key Return
  expect "$query_window" '*'
  [ -s "$work/sales.csv" ] || fail "no CSV file"
  grep -q 10002001 "$work/sales.csv" || fail "the CSV lacks the sales"

  step "a preview saved as PDF"
  key alt+p
  expect dlgPreview '*'
  key ctrl+s
  expect dlgSavePdf '*'
  key ctrl+a
  type_text "$work/sales.pdf"
  key Return
  expect QMessageBox '*' "已保存为"
  key Return
  expect dlgPreview '*'
  [ -s "$work/sales.pdf" ] || fail "no PDF file"
  key Escape
  expect "$query_window" '*'
  close_screen alt+e

  step "a sale in sales-note mode"
  sql "UPDATE sysvariable SET vrvalue = '1' WHERE vrname = 'RetailPrintMode'" >/dev/null
  open_sale_screen
  choose_promoter
  scan 10005001
  expect frmPOS edProductNo
  if [ "$(ls "$work/receipts" | wc -l)" -ge 3 ]; then
    settle_and_save "已保存为文件" "数据保存成功！"
  else
    settle_and_save "数据保存成功！"
  fi
  rows "SELECT COUNT(*) FROM XSB" 4
  close_screen alt+q
fi

if [ "$scope" = full ] || [ "$scope" = documents ]; then
  step "a receiving document of one line, by keys"
  menu_item alt+o miOperation i
  expect frmReceiveProduct edDocNo
  # Supplier document number, then the first supplier, handler and store of each list.
  type_text SD-001
  key Return Down Return Down Return Return Return Down Return
  expect frmReceiveProduct edProductNo
  type_text 10001001
  key Return
  expect frmReceiveProduct edPrice
  key Return
  expect frmReceiveProduct edCount
  type_text 5
  key Return
  expect frmReceiveProduct edProductNo
  key alt+s
  expect QMessageBox '*' "数据已成功保存！"
  key Return
  expect frmReceiveProduct '*'
  rows "SELECT m.SPNO || '/' || CAST(m.SL AS INTEGER) FROM JHDMXB m JOIN JHDSJB h ON h.JHDNO = m.JHDNO WHERE h.JHNO = 'SD-001'" "10001001/5"
  close_screen Escape

  step "a wholesale sale to a client"
  settings 0   # price and quantity keyed, not a quick scan
  menu_item alt+p miSale p
  expect frmJobPOS edName
  key Down Return Return Return
  expect frmJobPOS edOffNO
  type_text 101
  key Return
  expect frmJobPOS edProductNo
  type_text 10001001
  key Return
  expect frmJobPOS edPrice
  key Return
  expect frmJobPOS edCount
  type_text 3
  key Return
  expect frmJobPOS edOffNO
  key Return
  expect frmJobPOS edProductNo
  key F1
  expect frmPrintJobSellsData edTrueMoney
  key Return
  expect frmPrintJobSellsData bitPrint
  key Return
  expect QMessageBox '*' "数据保存成功！"
  key Return
  expect frmJobPOS edProductNo
  rows "SELECT COUNT(*) FROM XSB WHERE KHLX = 'P'" 1
  rows "SELECT COUNT(*) FROM KHJSWLB k JOIN XSB x ON x.XSNO = k.DJBH WHERE x.KHLX = 'P' AND k.ZY = '批发销售'" 1
  close_screen alt+q

  step "a client receipt"
  menu_item alt+b miBala s
  expect frmClientBala '*'
  key Down Return
  expect frmClientBala edNo
  type_text R-001
  key Return Tab
  expect frmClientBala edMoney
  type_text 5
  # The read-only ledger grid lets Tab through to the buttons: 查询, 下笔, 存盘.
  key Return Return Tab Tab Tab
  expect frmClientBala bitSave
  key space
  expect QMessageBox '*' "数据已成功保存！"
  key Return
  expect frmClientBala '*'
  rows "SELECT CAST(JF AS INTEGER) FROM KHJSWLB WHERE PZHM = 'R-001'" 5
  close_screen Escape

  step "a month-end by keys, and the next period's summary opens with the recorded close"
  menu_item alt+o miOperation j
  expect frmMonthBala bitSave
  key space
  expect QMessageBox '*' "数据已成功保存！"
  key Return
  expect frmMonthBala bitSave
  # The period shown and carried forward is last month, recorded once, every product's close.
  rows "SELECT COUNT(*) FROM YZJZSJB WHERE BEGDATE >= '$last_month' AND BEGDATE < '$last_month 00:00:01' AND ENDDATE >= '$last_month_end' AND ENDDATE < '$last_month_end 00:00:01'" 1
  rows "SELECT COUNT(*) FROM YZJZSJB" 1
  rows "SELECT (SELECT COUNT(*) FROM YZJZMXB) - (SELECT COUNT(*) FROM SPB)" 0
  rows "SELECT vrvalue FROM sysvariable WHERE vrname = 'BalaEndDate'" "$last_month_end"
  rows "SELECT COUNT(*) FROM YZJZMXB WHERE JZSL > 0" "$(sql "SELECT COUNT(DISTINCT SPNO) FROM JHDMXB")"
  step "a second month-end of the same period is refused"
  key space
  expect QMessageBox '*' "不能重复结转"
  key Return
  expect frmMonthBala bitSave
  rows "SELECT COUNT(*) FROM YZJZSJB" 1
  close_screen Escape

  # The summary of the new period: 确定, then 预览 saved as PDF; each product's opening
  # (结转单价, 结转数量, 结转金额) is what the carry-forward recorded.
  menu_item alt+t miStat j
  expect frmJXC '*'
  for _ in 1 2 3 4 5 6 7 8; do [ "$(value focus)" = bitYes ] && break; key Tab; sleep 0.1; done
  expect frmJXC bitYes
  key space
  expect frmJXC bitYes
  key Tab Tab
  expect frmJXC bitPreview
  key space
  expect dlgPreview '*'
  key ctrl+s
  expect dlgSavePdf '*'
  key ctrl+a
  type_text "$work/summary.pdf"
  key Return
  expect QMessageBox '*' "已保存为"
  key Return
  expect dlgPreview '*'
  key Escape
  expect frmJXC '*'
  close_screen Escape
  [ -s "$work/summary.pdf" ] || fail "no summary PDF"
  pdftotext -layout "$work/summary.pdf" "$work/summary.txt"
  checked=0
  for i in 0 1 2 3 4; do
    product=$(sql "SELECT SPNO FROM YZJZMXB WHERE JZSL > 0 ORDER BY SPNO LIMIT 1 OFFSET $i")
    [ -n "$product" ] || break
    price=$(printf '%.2f' "$(sql "SELECT JZDJ FROM YZJZMXB WHERE SPNO = '$product'")")
    count=$(sql "SELECT CAST(JZSL AS INTEGER) FROM YZJZMXB WHERE SPNO = '$product'")
    money=$(printf '%.2f' "$(sql "SELECT JZJE FROM YZJZMXB WHERE SPNO = '$product'")")
    line=$(grep -E "^ *$product " "$work/summary.txt") || fail "the summary lacks $product"
    echo "$line" | grep -qE " $price +$count +$money( |\$)" \
      || fail "the opening of $product is not the recorded close $price $count $money: $line"
    checked=$((checked + 1))
  done
  [ "$checked" -eq 5 ] || fail "checked $checked openings, expected 5"

  step "a stocktake: initialised, two counts keyed in store 001, saved and applied"
  # One product found short of its balance, one found beyond it.
  short_before=$(sql "SELECT CAST(KCSL AS INTEGER) FROM KCYEB WHERE SPNO = '10001002' AND CKNO = '001'")
  over_before=$(sql "SELECT CAST(KCSL AS INTEGER) FROM KCYEB WHERE SPNO = '10001003' AND CKNO = '001'")
  [ "${short_before:-0}" -ge 3 ] || fail "product 10001002 has too little stock in 001 to count short: ${short_before:-none}"
  short_count=$((short_before - 3))
  over_count=$((${over_before:-0} + 4))
  menu_item alt+o miOperation p
  expect frmInitChecked bitYes
  shot init-checked
  key space
  expect QMessageBox '*' "是否确定要初始化盘点数据？"
  key Return
  expect QMessageBox '*' "单击[确定]将初始化盘点数据!!!"
  key Return
  expect QMessageBox '*' "初始化已完成！"
  key Return
  expect frmInitChecked '*'
  rows "SELECT COUNT(*) FROM YPDSJB" "$(sql "SELECT COUNT(*) FROM SPB CROSS JOIN STORE")"
  rows "SELECT CAST(CKKCSL AS INTEGER) FROM YPDSJB WHERE SPNO = '10001002' AND CKNO = '001'" "$short_before"
  close_screen Escape

  menu_item alt+o miOperation c
  expect frmCheckedData lcbStore
  key Down Return
  expect frmCheckedData edProductNo
  type_text 10001002
  key Return
  expect frmCheckedData edCount
  type_text "$short_count"
  key Return
  expect frmCheckedData edProductNo
  type_text 10001003
  key Return
  expect frmCheckedData edCount
  type_text "$over_count"
  key Return
  expect frmCheckedData edProductNo
  shot checked-data-keyed
  key alt+s
  expect QMessageBox '*' "数据已保存！"
  key Return
  expect frmCheckedData edProductNo
  rows "SELECT CAST(CKPDSL AS INTEGER) || '/' || CKGXKCBZ FROM YPDSJB WHERE SPNO = '10001002' AND CKNO = '001'" "$short_count/0"
  rows "SELECT CAST(CKPDSL AS INTEGER) || '/' || CKGXKCBZ FROM YPDSJB WHERE SPNO = '10001003' AND CKNO = '001'" "$over_count/0"
  key alt+u
  expect QMessageBox '*' "更新完毕！"
  key Return
  expect frmCheckedData '*'
  shot checked-data-applied
  rows "SELECT CAST(CKGXKCL AS INTEGER) || '/' || CKGXKCBZ FROM YPDSJB WHERE SPNO = '10001002' AND CKNO = '001'" "-3/1"
  rows "SELECT CAST(CKGXKCL AS INTEGER) || '/' || CKGXKCBZ FROM YPDSJB WHERE SPNO = '10001003' AND CKNO = '001'" "4/1"
  rows "SELECT COUNT(*) FROM YPDSJB WHERE CKGXKCBZ = 1" 2
  # The store balances are the counts, moved there by one 盘亏 and one 盘盈 line.
  rows "SELECT CAST(KCSL AS INTEGER) FROM KCYEB WHERE SPNO = '10001002' AND CKNO = '001'" "$short_count"
  rows "SELECT CAST(KCSL AS INTEGER) FROM KCYEB WHERE SPNO = '10001003' AND CKNO = '001'" "$over_count"
  rows "SELECT WLTYPE || '/' || CAST(SL AS INTEGER) FROM QTJHDMXB WHERE SPNO = '10001002' AND WLTYPE IN ('盘盈', '盘亏')" "盘亏/3"
  rows "SELECT WLTYPE || '/' || CAST(SL AS INTEGER) FROM QTJHDMXB WHERE SPNO = '10001003' AND WLTYPE IN ('盘盈', '盘亏')" "盘盈/4"
  close_screen Escape

  # open_close MENU_KEY MENU ITEM_KEY WINDOW FOCUS [SUB_KEY]: opens a screen, checks where the
  # keyboard starts and that it lies on screen, and leaves by Esc.
  open_close() {
    menu_item "$1" "$2" "$3"
    [ -z "${6:-}" ] || key "$6"
    expect "$4" "$5"
    shot "$4"
    close_screen Escape
  }
  step "every other screen opens on screen with the keyboard at its start, and closes by Esc"
  open_close alt+o miOperation s frmWithdrawSupply lcbSupply
  open_close alt+o miOperation k frmClientReturn lcbClient
  open_close alt+o miOperation b frmLose lcbStore
  open_close alt+o miOperation d frmDPCL lcbStore
  open_close alt+o miOperation p frmInitChecked '*'
  open_close alt+o miOperation c frmCheckedData lcbStore
  open_close alt+o miOperation j frmMonthBala '*'
  open_close alt+p miSale d frmOperatorDayBalance dtBalanceDate
  open_close alt+b miBala f frmSuppBala lcbSupply
  open_close alt+c miQuery c frmQueryChecked cbSelectItem
  open_close alt+t miStat g frmQyGYSWL dtBegDate
  open_close alt+t miStat k frmQyKHWL dtBegDate
  open_close alt+t miStat o frmcykccx lcbStore
  open_close alt+t miStat c frmQyChecked lcbSupply
  open_close alt+t miStat x frmQYcsxsfx begdate1
  open_close alt+t miStat j frmJXC '*'
  open_close alt+t miStat y frmSellsStat dtBegDate
  open_close alt+t miStat d frmQyDaySell dtBegDate
  open_close alt+t miStat s frmStatSellOfDay dtDate d
  open_close alt+t miStat s frmStatSellOfMonth seMonth m
  open_close alt+t miStat p frmStatProductSellOfDay edProductNo d
  open_close alt+t miStat p frmStatProductSellOfMonth edProductNo m
fi

step "退出系统 ends the program"
menu_item alt+s miSystem e
deadline=$((SECONDS + timeout_s))
while kill -0 "$pos_pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the program did not end"
  sleep 0.05
done
wait "$pos_pid" && code=0 || code=$?
pos_pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
step "passed"
