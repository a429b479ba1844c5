#!/usr/bin/python3
"""The web catalogue of a published copy in a real browser.

Writes the demo installation with the installation tool, adds a category of hostile names,
publishes its web catalogue (`vistrel-install web`), and then drives headless Chromium through
Selenium over the copy twice: once from file:// and once from a static server on 127.0.0.1.
Everything drawn is checked against the copy's own catalogue rows.

Run by CTest with Debian's interpreter, which has the selenium module:
    /usr/bin/python3 tests/web/test_web_catalogue.py --tool build/vistrel-install --work DIR
        [--screenshots DIR]
"""
import argparse
import contextlib
import os
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
HOSTILE_CLASS = "特殊 #?% <b>类</b>"
HOSTILE_PRODUCT = "<img src=x onerror=alert(1)>@X#1?%"
HOSTILE_KEY = "HOSTILE-KEY"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message, flush=True)
    return condition


def fail_now(message):
    print("ERROR:", message, file=sys.stderr, flush=True)
    sys.exit(1)


# --- the copy ----------------------------------------------------------------------------------

def run(cmd):
    done = subprocess.run(cmd, capture_output=True, text=True)
    if done.returncode != 0:
        fail_now("%s failed (%d):\n%s%s" % (" ".join(cmd), done.returncode, done.stdout, done.stderr))
    return done.stdout


def write_copy(tool, work):
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    inst, root = os.path.join(work, "inst"), os.path.join(work, "root")
    run([tool, "demo", inst])
    # A category and a product whose names are markup, with a picture of the demo's.
    db = sqlite3.connect(os.path.join(inst, "sysfile", "数据.db"))
    picture = db.execute("select Opath from [小类表] where Opath like '%.jpg' limit 1").fetchone()[0]
    number = db.execute("select max(Number) from [大类表]").fetchone()[0] or 0
    db.execute("insert into [大类表](ClassName, Number) values(?, ?)", (HOSTILE_CLASS, number + 1))
    # Its document and model file then lie in folders named with "#", "?", "%", blanks and markup.
    model = db.execute("select Opath, [3DModel] from [3D模型表] limit 1").fetchone()
    db.execute("insert into [小类表](Number, ClassName, ProductName, [Key], Opath, OIntroduce) "
               "values(1, ?, ?, ?, ?, ?)", (HOSTILE_CLASS, HOSTILE_PRODUCT, HOSTILE_KEY, picture, picture))
    db.execute("insert into [3D模型表](ClassName, ProductName, [3DModel], Number, Opath) values(?, ?, ?, 1, ?)",
               (HOSTILE_CLASS, HOSTILE_PRODUCT, model[1], model[0]))
    db.commit()
    db.close()
    out = run([tool, "web", inst, root])
    index = out.strip().splitlines()[-1]
    if not os.path.isfile(index):
        fail_now("no index.html after vistrel-install web: " + out)
    return os.path.dirname(index)


class Rows:
    """What the copy's catalogue says the page must show."""

    def __init__(self, copy):
        db = sqlite3.connect(os.path.join(copy, "sysfile", "数据.db"))
        self.categories = [r[0] for r in db.execute("select ClassName from [大类表] order by Number")]
        self.products = {}
        for c in self.categories:
            self.products[c] = db.execute(
                "select ProductName, [Key], Dpath, PIntroduce, PAddProcess, PTecReference "
                "from [小类表] where ClassName=? order by Number", (c,)).fetchall()
        self.models = {}
        for cls, product, name in db.execute("select ClassName, ProductName, [3DModel] from [3D模型表] "
                                             "order by Number"):
            self.models.setdefault((cls, product), []).append(name)
        self.company = db.execute("select Company, Web from [企业表]").fetchone()
        db.close()


def split(stored):
    at = stored.rfind("@")
    return (stored, "") if at < 0 else (stored[:at], stored[at + 1:])


# --- the browser -------------------------------------------------------------------------------

def browser():
    for path in (CHROMIUM, CHROMEDRIVER):
        if not os.access(path, os.X_OK):
            fail_now("%s is missing: install Debian's chromium and chromium-driver "
                     "(bash scripts/setup.sh)" % path)
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        fail_now("python3-selenium is missing for %s: install it (bash scripts/setup.sh)" % sys.executable)
    profile = tempfile.mkdtemp(prefix="vistrel-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--no-first-run", "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--window-size=1280,800", "--user-data-dir=" + profile):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.set_page_load_timeout(30)
    return driver, profile


def wait(driver, script, what, timeout=10.0):
    end = time.time() + timeout
    while True:
        value = driver.execute_script(script)
        if value:
            return value
        if time.time() > end:
            check(False, "timed out waiting for " + what)
            return value
        time.sleep(0.05)


def no_alert(driver, where):
    from selenium.common.exceptions import NoAlertPresentException
    try:
        alert = driver.switch_to.alert
        text = alert.text
        alert.dismiss()
        check(False, "%s: a script ran and opened an alert (%s)" % (where, text))
    except NoAlertPresentException:
        pass


def go(driver, base, hash_):
    driver.get(base + hash_)


def texts(driver, css):
    return driver.execute_script(
        "return Array.from(document.querySelectorAll(arguments[0])).map(e => e.textContent)", css)


def images_loaded(driver, css, where):
    """Scrolls every image into view and checks that each one was decoded."""
    count = driver.execute_script("return document.querySelectorAll(arguments[0]).length", css)
    for i in range(count):
        driver.execute_script("document.querySelectorAll(arguments[0])[arguments[1]].scrollIntoView()", css, i)
        ok = wait(driver, "var i = document.querySelectorAll(%r)[%d]; return i.complete && i.naturalWidth > 0"
                  % (css, i), "%s: image %d" % (where, i))
        check(ok, "%s: image %d not loaded" % (where, i))
    return count


def page_width_fits(driver, width, where):
    scroll = driver.execute_script("return document.documentElement.scrollWidth")
    check(scroll <= width, "%s: page is %d px wide on a %d px screen" % (where, scroll, width))


def scenario(driver, base, rows, shots, label):
    where = label
    go(driver, base, "")
    wait(driver, "return document.querySelectorAll('.side .entry').length", where + ": category list")
    names = texts(driver, ".side .entry .name")
    counts = texts(driver, ".side .entry .count")
    check(names == rows.categories, "%s: categories %r != %r" % (where, names, rows.categories))
    check(counts == [str(len(rows.products[c])) for c in rows.categories], where + ": counts differ")

    # Nothing inline runs, whatever the page holds: the policy forbids it on file:// as on http.
    ran = driver.execute_script(
        "var s = document.createElement('script'); s.textContent = 'window.__inline = 1';"
        "document.head.appendChild(s); return window.__inline === 1")
    check(not ran, where + ": an inline script ran despite the Content-Security-Policy")
    refused = [e["message"] for e in driver.get_log("browser")]
    check(any("Content Security Policy" in m for m in refused), where + ": the policy reported no refusal")

    # A category: every product with its name, code and loaded thumbnail.
    cls = next(c for c in rows.categories if len(rows.products[c]) >= 2 and c != HOSTILE_CLASS)
    driver.find_element("xpath", "//nav[@id='side']//a[.//span[@class='name' and text()=%s]]"
                        % xpath_literal(cls)).click()
    wait(driver, "return document.querySelector('main h1') && document.querySelector('main h1').textContent === %r"
         % cls, where + ": category heading")
    products = rows.products[cls]
    check(texts(driver, ".grid .pname") == [split(p[0])[0] for p in products], where + ": product names")
    check(texts(driver, ".grid .code") == [split(p[0])[1] for p in products], where + ": type codes")
    with_picture = sum(1 for p in products if p[2])
    check(images_loaded(driver, ".grid img", where + " grid") == with_picture,
          where + ": a thumbnail for every product with a picture")
    check(driver.execute_script("return document.querySelectorAll('.grid .frame').length") == len(products),
          where + ": a framed cell for every product")
    check(decoded_hash(driver) == "/" + cls, where + ": the category's address")
    shot(driver, shots, label + "-category")

    # A product with model files, every tab.
    stored, key = next(((p[0], p[1]) for c in rows.categories for p in rows.products[c]
                        if (c, p[0]) in rows.models), (None, None))
    mcls = next(c for c in rows.categories for p in rows.products[c] if p[0] == stored)
    go(driver, base, "#" + "/" + urllib.parse.quote(mcls) + "/" + urllib.parse.quote(stored, safe=""))
    wait(driver, "return document.querySelectorAll('[role=tab]').length", where + ": tabs")
    title = driver.execute_script("return document.querySelector('main h1').textContent")
    check(title == "%s--%s" % (mcls, split(stored)[0]), where + ": title " + title)
    tabs = texts(driver, "[role=tab]")
    check(tabs == ["产品介绍", "追加加工", "技术参考", "3D模型"], where + ": tabs %r" % tabs)
    row = next(p for p in rows.products[mcls] if p[0] == stored)
    for t in range(4):
        tab = driver.find_elements("css selector", "[role=tab]")[t]
        if t in (1, 2) and not row[3 + t]:
            check(tab.get_attribute("aria-disabled") == "true", where + ": empty document tab disabled")
            continue
        tab.click()
        wait(driver, "var b = document.querySelectorAll('[role=tab]')[%d]; return b.getAttribute('aria-selected') === 'true'"
             " && document.activeElement === b" % t, where + ": tab %d selected and focused" % t)
        check(driver.execute_script("return document.querySelector('[role=tabpanel]').getAttribute('aria-labelledby')")
              == "tab-%d" % t, where + ": panel labelled by its tab")
        if t < 3:
            if row[3 + t]:
                check(images_loaded(driver, "[role=tabpanel] img", "%s tab %d" % (where, t)) >= 1,
                      "%s: tab %d shows its document" % (where, t))
            shot(driver, shots, "%s-tab%d" % (label, t))
        else:
            files = texts(driver, ".models td.file")
            check(files == rows.models[(mcls, stored)], where + ": model files %r" % files)
            for name, link in zip(files, driver.find_elements("css selector", ".models td.get a")):
                check(link.get_attribute("download") == name, where + ": download name " + name)
                check(urllib.parse.unquote(link.get_attribute("href")).endswith("/3D模型/" + name),
                      where + ": download address of " + name)
            shot(driver, shots, label + "-models")
    # Arrow keys move between the tabs.
    first_tab = driver.find_elements("css selector", "[role=tab]")[0]
    first_tab.click()
    wait(driver, "return document.querySelectorAll('[role=tab]')[0].getAttribute('aria-selected') === 'true'",
         where + ": first tab")
    from selenium.webdriver.common.keys import Keys
    driver.switch_to.active_element.send_keys(Keys.ARROW_LEFT)
    wait(driver, "return document.querySelectorAll('[role=tab]')[3].getAttribute('aria-selected') === 'true'",
         where + ": arrow key to the last tab")
    driver.back()
    wait(driver, "return document.querySelectorAll('[role=tab]')[0].getAttribute('aria-selected') === 'true'",
         where + ": back button returns to the first tab")

    # Search by a fragment of a type code, in other letter case.
    # A fragment whose hits lie in more than one category, where the demo has one.
    def hit_categories(f):
        return {c for c in rows.categories for p in rows.products[c] if f.lower() in p[1].lower()}
    fragment = next((f for f in (key[:2], "-1", "0-", "-2") if len(hit_categories(f)) > 1), key[:2])
    fragment = fragment.swapcase()
    box = driver.find_element("id", "q")
    box.clear()
    box.send_keys(fragment + Keys.ENTER)
    expected = [(c, p[0]) for c in rows.categories for p in rows.products[c] if fragment.lower() in p[1].lower()]
    wait(driver, "return document.querySelectorAll('.grid .cell').length === %d" % len(expected),
         where + ": %d hits for %r" % (len(expected), fragment))
    check(texts(driver, ".grid .pname") == [split(p)[0] for _, p in expected], where + ": hits")
    images_loaded(driver, ".grid img", where + " hits")
    shot(driver, shots, label + "-search")
    hit = len(expected) - 1  # the last hit, whose category is rarely the first one
    driver.find_elements("css selector", ".grid .cell")[hit].click()
    wait(driver, "return document.querySelectorAll('[role=tab]').length", where + ": hit opens")
    title = driver.execute_script("return document.querySelector('main h1').textContent")
    check(title == "%s--%s" % (expected[hit][0], split(expected[hit][1])[0]), where + ": hit title " + title)

    # An empty search says so.
    box = driver.find_element("id", "q")
    box.clear()
    box.send_keys(Keys.ENTER)
    wait(driver, "return document.getElementById('notice').textContent === '请输入类型码搜索!'", where + ": empty search")

    # Hostile names are shown as text and run nothing.
    go(driver, base, "#/" + urllib.parse.quote(HOSTILE_CLASS, safe=""))
    wait(driver, "return document.querySelectorAll('.grid .pname').length === 1", where + ": hostile category")
    check(texts(driver, ".grid .pname") == [split(HOSTILE_PRODUCT)[0]], where + ": hostile name as text")
    check(texts(driver, ".grid .code") == [split(HOSTILE_PRODUCT)[1]], where + ": hostile code as text")
    check(driver.execute_script("return document.querySelectorAll('img[src=\"x\"]').length") == 0,
          where + ": no element made from a name")
    images_loaded(driver, ".grid img", where + " hostile")
    driver.find_element("css selector", ".grid .cell").click()
    wait(driver, "return document.querySelectorAll('[role=tab]').length === 4", where + ": hostile product")
    check(decoded_hash(driver) == "/%s/%s" % (HOSTILE_CLASS, HOSTILE_PRODUCT), where + ": hostile address")
    check(images_loaded(driver, "[role=tabpanel] img", where + " hostile document") == 1,
          where + ": a document under an escaped path")
    driver.find_elements("css selector", "[role=tab]")[3].click()
    wait(driver, "return document.querySelector('.models td.get a')", where + ": hostile model file")
    href = driver.find_element("css selector", ".models td.get a").get_attribute("href")
    check(reachable(href), where + ": model file address " + href)
    time.sleep(0.3)
    no_alert(driver, where)

    # The company pages.
    driver.find_element("id", "nav-company").click()
    wait(driver, "var i = document.querySelector('main img'); return i && i.complete && i.naturalWidth > 0",
         where + ": company picture")
    shot(driver, shots, label + "-company")
    driver.find_element("xpath", "//nav[@id='side']//a[.//span[text()='联系我们']]").click()
    wait(driver, "return document.querySelector('.contact')", where + ": contact page")
    check(texts(driver, ".contact .text") == [rows.company[0]], where + ": company text")
    check(texts(driver, ".contact .web a") == [rows.company[1]], where + ": web site text")
    chat = driver.find_element("id", "chat").get_attribute("href")
    check("/msgrd?v=3&uin=" in chat and chat.endswith("&site=qq&menu=yes"), where + ": chat link " + chat)
    shot(driver, shots, label + "-contact")

    # Nothing came from outside the copy.
    origin = base.split("/index.html")[0]
    outside = driver.execute_script(
        "return performance.getEntriesByType('resource').map(e => e.name).filter(n => !n.startsWith(arguments[0]))",
        origin)
    check(not outside, where + ": loaded from outside the copy: %r" % outside)

    # A phone: nothing wider than its screen, and the sharp thumbnails.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
    try:
        go(driver, base, "#/" + urllib.parse.quote(cls, safe=""))
        driver.refresh()
        wait(driver, "return document.querySelectorAll('.grid img').length", where + ": phone grid")
        images_loaded(driver, ".grid img", where + " phone grid")
        src = driver.execute_script("return document.querySelector('.grid img').currentSrc")
        check("-2x." in src, where + ": phone uses the 2x thumbnails, not " + src)
        driver.execute_script("window.scrollTo(0, 0)")
        page_width_fits(driver, 390, where + " phone grid")
        shot(driver, shots, label + "-phone-category")
        product = "#/" + urllib.parse.quote(mcls, safe="") + "/" + urllib.parse.quote(stored, safe="")
        loaded = "var i = document.querySelector('main img'); return i && i.complete && i.naturalWidth > 0"
        for name, hash_, ready in (
                ("product", product, loaded),
                ("models", product + "/" + urllib.parse.quote("3D模型"), "return document.querySelector('.models')"),
                ("search", "#search/" + urllib.parse.quote(fragment, safe=""),
                 "return document.querySelectorAll('.grid .cell').length"),
                ("contact", "#" + urllib.parse.quote("联系我们"), "return document.querySelector('.contact')"),
                ("company", "#" + urllib.parse.quote("企业简介"), loaded)):
            go(driver, base, hash_)
            wait(driver, ready, where + ": phone " + name)
            page_width_fits(driver, 390, where + " phone " + name)
            shot(driver, shots, label + "-phone-" + name)
    finally:
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    errors = [e["message"] for e in driver.get_log("browser")
              if e["level"] == "SEVERE" and "favicon.ico" not in e["message"]]
    check(not errors, where + ": browser errors %r" % errors)


def reachable(href):
    """The file an address names is there: on disk for file://, served for http://."""
    if href.startswith("file:"):
        return os.path.isfile(urllib.parse.unquote(urllib.parse.urlparse(href).path))
    try:
        with urllib.request.urlopen(href, timeout=10) as reply:
            return reply.status == 200 and len(reply.read()) > 0
    except OSError:
        return False


def decoded_hash(driver):
    raw = driver.execute_script("return location.hash").lstrip("#")
    return "/".join(urllib.parse.unquote(p) for p in raw.split("/"))


def xpath_literal(text):
    if "'" not in text:
        return "'%s'" % text
    return "concat('" + "', \"'\", '".join(text.split("'")) + "')"


def shot(driver, folder, name):
    if folder:
        driver.execute_script("window.scrollTo(0, 0)")
        driver.save_screenshot(os.path.join(folder, name + ".png"))


@contextlib.contextmanager
def static_server(folder):
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    server = subprocess.Popen([sys.executable, "-m", "http.server", "--bind", "127.0.0.1", str(port),
                               "--directory", folder], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        end = time.time() + 10
        while True:
            try:
                socket.create_connection(("127.0.0.1", port), timeout=1).close()
                break
            except OSError:
                if time.time() > end or server.poll() is not None:
                    fail_now("the static server did not start")
                time.sleep(0.1)
        yield "http://127.0.0.1:%d/index.html" % port
    finally:
        server.terminate()
        server.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots")
    args = parser.parse_args()
    if args.screenshots:
        os.makedirs(args.screenshots, exist_ok=True)
    copy = write_copy(args.tool, args.work)
    rows = Rows(copy)
    driver, profile = browser()
    try:
        scenario(driver, "file://" + urllib.parse.quote(os.path.join(copy, "index.html")), rows,
                 args.screenshots, "file")
        with static_server(copy) as url:
            scenario(driver, url, rows, args.screenshots, "http")
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    if failures:
        print("%d checks failed" % len(failures))
        return 1
    print("web catalogue: every check passed over file:// and http://")
    return 0


if __name__ == "__main__":
    sys.exit(main())
