#!/usr/bin/env python3
"""Writes the sample sheets of this folder as LibreOffice Calc and Excel save them.

Every sheet holds the same five products, so a test can check that each form reads alike:
three are added (two new categories), two are refused (a row without a name, a missing
picture). Run it from this folder; the output is committed.
"""
import csv
import io

HEADERS = ["类别", "产品名称", "型号", "关键字", "产品图片", "产品介绍", "追加加工", "技术参考",
           "3D模型", "备注", "价格"]
ROWS = [
    ["泵", "离心泵", "P-100", "离心,泵", "../images/hopper.jpg", "../images/hopper.png", "", "",
     "models/p100.step;models/p100.igs", "STEP 格式;IGES 格式", "120"],
    ["泵", '齿轮泵 "高压"', "P-200", "齿轮", "../images/hopper.jpg", "../images/hopper.gif",
     "../images/hopper.bmp", "", "", "", ""],
    ["阀", "球阀\n两片式", "V-1", "球阀", "../images/hopper.png", "../images", "", "", "", "", ""],
    ["阀", "", "V-2", "无名", "../images/hopper.jpg", "../images/hopper.jpg", "", "", "", "", ""],
    ["阀", "闸阀", "V-3", "闸阀", "../images/missing.jpg", "../images/hopper.jpg", "", "", "", "",
     ""],
]


def sheet(order, delimiter, windows_paths, line_end):
    out = io.StringIO()
    w = csv.writer(out, delimiter=delimiter, lineterminator=line_end, quoting=csv.QUOTE_MINIMAL)
    w.writerow([HEADERS[i] for i in order])
    for row in ROWS:
        cells = [c.replace("/", "\\") if windows_paths and ("images" in c or "models" in c) else c
                 for c in row]
        w.writerow([cells[i] for i in order])
    return out.getvalue()


issue_order = list(range(len(HEADERS)))
shuffled = [10, 1, 0, 2, 9, 8, 4, 3, 5, 7, 6]

def write(name, data):
    with open(name, "wb") as f:
        f.write(data)

# LibreOffice Calc on Linux: UTF-8 without BOM, comma, LF.
write("libreoffice_utf8_comma.csv", sheet(issue_order, ",", False, "\n").encode("utf-8"))
# LibreOffice Calc with the tab separator.
write("libreoffice_utf8_tab.csv", sheet(shuffled, "\t", False, "\n").encode("utf-8"))
# Excel "CSV UTF-8": BOM, comma, CRLF, Windows paths.
write("excel_utf8_bom.csv", b"\xef\xbb\xbf" + sheet(shuffled, ",", True, "\r\n").encode("utf-8"))
# Excel "CSV (逗号分隔)" on a Chinese Windows: GBK, comma, CRLF, Windows paths.
write("excel_gbk.csv", sheet(issue_order, ",", True, "\r\n").encode("gbk"))
# Excel where the list separator is ";": GBK, semicolon, CRLF.
write("excel_gbk_semicolon.csv", sheet(shuffled, ";", True, "\r\n").encode("gbk"))
# Excel "Unicode 文本": UTF-16 LE with BOM, tab, CRLF.
write("excel_unicode.txt", b"\xff\xfe" + sheet(issue_order, "\t", True, "\r\n").encode("utf-16-le"))
