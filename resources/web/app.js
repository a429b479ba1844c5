// The web catalogue of a published copy. The data comes as script files that call
// vistrelData(name, data): browsers refuse fetch() of local files, and the copy must open from a
// stick as well as from a web host. Every catalogue text is set as text, never as markup.
(function () {
  "use strict";

  var TABS = ["产品介绍", "追加加工", "技术参考", "3D模型"];
  var COMPANY = ["企业简介", "联系我们"];
  var HITS_PAGE = 120;

  var loaded = {};
  var waiting = {};
  var catalogue = null;
  var searchKeys = null; // lower-case Key column, made on the first search
  var renderId = 0;

  window.vistrelData = function (name, data) {
    loaded[name] = data;
    var callbacks = waiting[name] || [];
    delete waiting[name];
    callbacks.forEach(function (cb) { cb(data); });
  };

  function load(name, done) {
    if (loaded[name]) { done(loaded[name]); return; }
    if (waiting[name]) { waiting[name].push(done); return; }
    waiting[name] = [done];
    if (name === "catalogue") return; // a script of the page itself, loaded beside this one
    var script = document.createElement("script");
    script.src = "web/data/" + name + ".js";
    script.onerror = function () {
      delete waiting[name];
      showProblem("无法读取目录数据: " + name);
    };
    document.head.appendChild(script);
  }

  // --- helpers -----------------------------------------------------------------------------

  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    if (attrs) Object.keys(attrs).forEach(function (k) { e.setAttribute(k, attrs[k]); });
    if (text !== undefined && text !== null) e.textContent = text;
    return e;
  }

  // A path of the copy ("pic/类别/产品 #1/a.jpg") as a relative URL: every part escaped.
  function fileUrl(path) {
    return path.split("/").map(encodeURIComponent).join("/");
  }

  function route(parts) {
    return "#/" + parts.map(encodeURIComponent).join("/");
  }

  function productHref(category, stored, tab) {
    var parts = [category, stored];
    if (tab !== undefined) parts.push(TABS[tab]);
    return route(parts);
  }

  // The stored product name is "name@typecode"; the name is everything up to the last "@".
  function splitName(stored) {
    var at = stored.lastIndexOf("@");
    return at < 0 ? { name: stored, code: "" } : { name: stored.slice(0, at), code: stored.slice(at + 1) };
  }

  function thumbUrls(category, index, kind) {
    var base = "web/thumbs/" + category + "/" + index;
    var ext = kind === 2 ? ".png" : ".jpg";
    return { x1: base + ext, x2: base + "-2x" + ext };
  }

  function formatSize(bytes) {
    if (bytes < 1024) return bytes + " B";
    if (bytes < 1024 * 1024) return (bytes / 1024).toFixed(1) + " KB";
    return (bytes / 1024 / 1024).toFixed(1) + " MB";
  }

  var noticeTimer = null;
  function notice(text) {
    var box = document.getElementById("notice");
    box.textContent = text;
    box.classList.add("shown");
    clearTimeout(noticeTimer);
    noticeTimer = setTimeout(function () { box.classList.remove("shown"); }, 1800);
  }

  function content() { return document.getElementById("content"); }

  function clear(node) { while (node.firstChild) node.removeChild(node.firstChild); }

  function showProblem(text) {
    var main = content();
    clear(main);
    main.appendChild(el("p", { "class": "problem" }, text));
  }

  function heading(text) {
    var h = el("h1", { tabindex: "-1" }, text);
    return h;
  }

  // --- category list ----------------------------------------------------------------------

  function categoryIndex(name) {
    for (var i = 0; i < catalogue.categories.length; ++i)
      if (catalogue.categories[i][0] === name) return i;
    return -1;
  }

  var sideShown = null; // which list the side shows, so a new search does not rebuild it
  function sideCategories(current) {
    if (sideShown === "c" + current) return;
    sideShown = "c" + current;
    var side = document.getElementById("side");
    clear(side);
    side.setAttribute("aria-label", "类别");
    var list = el("ul");
    catalogue.categories.forEach(function (c, i) {
      var a = el("a", { href: route([c[0]]), "class": "entry" });
      a.appendChild(el("span", { "class": "name" }, c[0]));
      a.appendChild(el("span", { "class": "count" }, String(c[1])));
      if (i === current) a.setAttribute("aria-current", "page");
      var li = el("li");
      li.appendChild(a);
      list.appendChild(li);
    });
    side.appendChild(list);
  }

  function sideCompany(current) {
    sideShown = "k" + current;
    var side = document.getElementById("side");
    clear(side);
    side.setAttribute("aria-label", "企业介绍");
    var list = el("ul");
    COMPANY.forEach(function (name) {
      var a = el("a", { href: "#" + encodeURIComponent(name), "class": "entry" });
      a.appendChild(el("span", { "class": "name" }, name));
      if (name === current) a.setAttribute("aria-current", "page");
      var li = el("li");
      li.appendChild(a);
      list.appendChild(li);
    });
    side.appendChild(list);
  }

  function markNav(which) {
    document.getElementById("nav-products").removeAttribute("aria-current");
    document.getElementById("nav-company").removeAttribute("aria-current");
    if (which) document.getElementById(which).setAttribute("aria-current", "page");
  }

  // --- product grid ------------------------------------------------------------------------

  // Thumbnails get their source when they come near the screen: the first screen's load first
  // and alone, then the rest as the visitor scrolls, however many products a category holds.
  function showThumb(img) {
    img.srcset = img.dataset.srcset;
    img.src = img.dataset.src;
  }
  var thumbs = window.IntersectionObserver
    ? new IntersectionObserver(function (entries, observer) {
      entries.forEach(function (e) {
        if (!e.isIntersecting) return;
        observer.unobserve(e.target);
        showThumb(e.target);
      });
    }, { rootMargin: "200px 0px" })
    : { observe: showThumb };

  // One cell: the framed thumbnail (empty frame without one), the name and, in grey, the code.
  function cell(category, index, stored, thumb) {
    var names = splitName(stored);
    var li = el("li");
    var a = el("a", { href: productHref(catalogue.categories[category][0], stored), "class": "cell" });
    var frame = el("span", { "class": "frame" });
    if (thumb) {
      var urls = thumbUrls(category, index, thumb);
      var img = el("img", { alt: names.name + (names.code ? " " + names.code : ""), width: "140", height: "140" });
      img.dataset.src = urls.x1;
      img.dataset.srcset = urls.x1 + " 1x, " + urls.x2 + " 2x";
      frame.appendChild(img);
      thumbs.observe(img);
    }
    a.appendChild(frame);
    a.appendChild(el("span", { "class": "pname" }, names.name));
    a.appendChild(el("span", { "class": "code" }, names.code));
    li.appendChild(a);
    return li;
  }

  function showCategory(index, focus) {
    var name = catalogue.categories[index][0];
    sideCategories(index);
    markNav("nav-products");
    document.title = name + " - 产品中心";
    var id = ++renderId;
    load("c" + index, function (data) {
      if (id !== renderId) return;
      var main = content();
      clear(main);
      main.appendChild(heading(name));
      var grid = el("ul", { "class": "grid", "aria-label": name });
      var items = document.createDocumentFragment();
      data.p.forEach(function (p, i) { items.appendChild(cell(index, i, p[0], p[1])); });
      grid.appendChild(items);
      main.appendChild(grid);
      if (focus) main.querySelector("h1").focus();
    });
  }

  // --- product --------------------------------------------------------------------------------

  function findProduct(data, stored) {
    for (var i = 0; i < data.p.length; ++i) if (data.p[i][0] === stored) return i;
    return -1;
  }

  function documentPanel(pictures, label) {
    var panel = el("div", { "class": "doc" });
    (pictures || []).forEach(function (picture, n) {
      var url = fileUrl(picture[0]);
      var a = el("a", { href: url, "class": "docpic", title: "查看原图" });
      var img = el("img", { loading: n ? "lazy" : "eager", alt: label + (pictures.length > 1 ? " " + (n + 1) : "") });
      if (picture.length > 2) { img.setAttribute("width", picture[1]); img.setAttribute("height", picture[2]); }
      img.setAttribute("src", url);
      a.appendChild(img);
      panel.appendChild(a);
    });
    return panel;
  }

  function modelPanel(files) {
    var table = el("table", { "class": "models" });
    var head = el("tr");
    ["NO.", "文件名", "大小", "备注", "下载"].forEach(function (t) { head.appendChild(el("th", { scope: "col" }, t)); });
    var thead = el("thead");
    thead.appendChild(head);
    table.appendChild(thead);
    var body = el("tbody");
    files.forEach(function (f, i) {
      var tr = el("tr");
      tr.appendChild(el("td", { "class": "no", "data-label": "NO." }, String(i + 1)));
      tr.appendChild(el("td", { "class": "file", "data-label": "文件名" }, f[0]));
      tr.appendChild(el("td", { "class": "size", "data-label": "大小" }, f[1] >= 0 ? formatSize(f[1]) : ""));
      tr.appendChild(el("td", { "class": "note", "data-label": "备注" }, f[2]));
      var td = el("td", { "class": "get", "data-label": "下载" });
      if (f[3]) {
        // Saved under the name the file has in the copy.
        td.appendChild(el("a", { href: fileUrl(f[3]), download: f[3].split("/").pop(), "aria-label": "下载 " + f[0] }, "下载"));
      } else {
        td.appendChild(el("span", { "class": "missing" }, "模型文件不存在"));
      }
      tr.appendChild(td);
      body.appendChild(tr);
    });
    table.appendChild(body);
    var wrap = el("div", { "class": "tablewrap" });
    wrap.appendChild(table);
    return wrap;
  }

  function showProduct(index, stored, tab, focus) {
    var category = catalogue.categories[index][0];
    sideCategories(index);
    markNav("nav-products");
    var id = ++renderId;
    load("c" + index, function (grid) {
      load("d" + index, function (details) {
        if (id !== renderId) return;
        var main = content();
        clear(main);
        var at = findProduct(grid, stored);
        if (at < 0) {
          main.appendChild(heading(category));
          main.appendChild(el("p", { "class": "problem" }, "未找到相关产品"));
          return;
        }
        var names = splitName(stored);
        var d = details.p[at];
        var docs = d[0], files = d[1];
        var count = files.length ? 4 : 3;
        if (tab >= count || (tab > 0 && tab < 3 && docs[tab] === null)) tab = 0;
        document.title = category + "--" + names.name;

        var bar = el("div", { "class": "titlebar" });
        bar.appendChild(el("a", { href: route([category]), "class": "back" }, "返回"));
        bar.appendChild(heading(category + "--" + names.name));
        main.appendChild(bar);

        var tabs = el("div", { role: "tablist", "class": "tabs", "aria-label": names.name });
        var buttons = [];
        for (var t = 0; t < count; ++t) {
          var disabled = t > 0 && t < 3 && docs[t] === null;
          var b = el("button", {
            type: "button", role: "tab", id: "tab-" + t, "aria-controls": "panel",
            "aria-selected": t === tab ? "true" : "false", tabindex: t === tab ? "0" : "-1"
          }, TABS[t]);
          if (disabled) { b.disabled = true; b.setAttribute("aria-disabled", "true"); }
          b.dataset.tab = String(t);
          buttons.push(b);
          tabs.appendChild(b);
        }
        tabs.addEventListener("click", function (e) {
          var b = e.target.closest("button[role=tab]");
          if (b && !b.disabled) location.hash = productHref(category, stored, Number(b.dataset.tab));
        });
        // Arrow keys move between the enabled tabs, as screen readers expect of a tab list.
        tabs.addEventListener("keydown", function (e) {
          var keys = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 };
          var step = keys[e.key];
          var enabled = buttons.filter(function (b) { return !b.disabled; });
          var at = enabled.indexOf(document.activeElement);
          if (at < 0) return;
          var next = null;
          if (step) next = enabled[(at + step + enabled.length) % enabled.length];
          else if (e.key === "Home") next = enabled[0];
          else if (e.key === "End") next = enabled[enabled.length - 1];
          if (!next) return;
          e.preventDefault();
          location.hash = productHref(category, stored, Number(next.dataset.tab));
        });
        main.appendChild(tabs);

        var panel = el("div", { role: "tabpanel", id: "panel", "aria-labelledby": "tab-" + tab, tabindex: "0", "class": "panel" });
        panel.appendChild(tab === 3 ? modelPanel(files) : documentPanel(docs[tab], TABS[tab]));
        main.appendChild(panel);
        if (focus === "tab") buttons[tab].focus();
        else if (focus) main.querySelector("h1").focus();
      });
    });
  }

  // --- search --------------------------------------------------------------------------------

  function showSearch(text, focus) {
    sideCategories(-1);
    markNav(null);
    document.getElementById("q").value = text;
    document.title = text + " - 搜索";
    var id = ++renderId;
    load("search", function (index) {
      if (id !== renderId) return;
      if (!searchKeys) searchKeys = index.k.map(function (k) { return k.toLowerCase(); });
      var needle = text.toLowerCase();
      var hits = [];
      for (var i = 0; i < searchKeys.length; ++i) if (searchKeys[i].indexOf(needle) >= 0) hits.push(i);
      var main = content();
      clear(main);
      main.appendChild(heading("搜索: " + text));
      if (!hits.length) {
        main.appendChild(el("p", { "class": "empty" }, "未找到相关产品"));
        notice("未找到相关产品");
        if (focus) main.querySelector("h1").focus();
        return;
      }
      main.appendChild(el("p", { "class": "hits", role: "status" }, "找到 " + hits.length + " 个产品"));
      var grid = el("ul", { "class": "grid", "aria-label": "搜索结果" });
      main.appendChild(grid);
      var shown = 0;
      var more = el("button", { type: "button", "class": "more" }, "显示更多");
      function page() {
        var items = document.createDocumentFragment();
        var end = Math.min(hits.length, shown + HITS_PAGE);
        for (; shown < end; ++shown) {
          var h = hits[shown];
          items.appendChild(cell(index.g[h], index.i[h], index.n[h], index.t[h]));
        }
        grid.appendChild(items);
        if (shown >= hits.length && more.parentNode) more.parentNode.removeChild(more);
      }
      more.addEventListener("click", page);
      page();
      if (shown < hits.length) main.appendChild(more);
      if (focus) main.querySelector("h1").focus();
    });
  }

  // --- company -------------------------------------------------------------------------------

  function showCompany(which, focus) {
    sideCompany(which);
    markNav("nav-company");
    document.title = which;
    ++renderId;
    var main = content();
    clear(main);
    main.appendChild(heading(which));
    var company = catalogue.company || {};
    if (which === COMPANY[0]) {
      if (company.picture) {
        var url = fileUrl(company.picture);
        var a = el("a", { href: url, "class": "docpic", title: "查看原图" });
        a.appendChild(el("img", { src: url, alt: company.name ? company.name + " 企业简介" : "企业简介" }));
        main.appendChild(a);
      }
    } else {
      var box = el("div", { "class": "contact" });
      box.appendChild(el("p", { "class": "text" }, company.text || ""));
      if (company.web) {
        var p = el("p", { "class": "web" });
        if (company.href) {
          p.appendChild(el("a", { href: company.href, title: "浏览企业网站", target: "_blank", rel: "noopener noreferrer" }, company.web));
        } else {
          p.appendChild(document.createTextNode(company.web));
        }
        box.appendChild(p);
      }
      main.appendChild(box);
    }
    if (focus) main.querySelector("h1").focus();
  }

  // --- addresses -----------------------------------------------------------------------------

  function decode(part) {
    try { return decodeURIComponent(part); } catch (e) { return part; }
  }

  var first = true;
  function render() {
    document.getElementById("notice").classList.remove("shown");
    var focus = !first;
    first = false;
    var hash = location.hash.slice(1);
    var box = document.getElementById("q");
    if (hash.indexOf("search/") !== 0 && document.activeElement !== box) box.value = "";
    if (hash.indexOf("search/") === 0) {
      showSearch(decode(hash.slice(7)), focus);
      return;
    }
    var plain = decode(hash);
    if (COMPANY.indexOf(plain) >= 0) { showCompany(plain, focus); return; }
    var parts = hash.charAt(0) === "/" ? hash.slice(1).split("/").map(decode) : [];
    if (parts.length && parts[parts.length - 1] === "") parts.pop();
    if (!catalogue.categories.length) {
      sideCategories(-1);
      showProblem("目录中没有产品");
      return;
    }
    var index = parts.length ? categoryIndex(parts[0]) : 0;
    if (index < 0) { sideCategories(-1); showProblem("未找到类别: " + parts[0]); return; }
    if (parts.length >= 2) {
      var tab = parts.length >= 3 ? TABS.indexOf(parts[2]) : 0;
      showProduct(index, parts[1], tab < 0 ? 0 : tab, parts.length >= 3 ? "tab" : focus);
    } else {
      showCategory(index, focus);
    }
  }

  function start(data) {
    catalogue = data;
    var company = data.company || {};
    document.getElementById("brand").textContent = company.name || "";
    document.getElementById("company-name").textContent = company.name || "";
    var chat = document.getElementById("chat");
    if (data.chat && data.chat.href) {
      chat.href = data.chat.href;
      chat.textContent = data.chat.hint;
    }
    document.getElementById("search").addEventListener("submit", function (e) {
      e.preventDefault();
      var text = document.getElementById("q").value;
      if (!text || text === "输入类型码搜索") { notice("请输入类型码搜索!"); return; }
      text = text.split("[").join("");
      var target = "#search/" + encodeURIComponent(text);
      if (location.hash === target) render();
      else location.hash = target;
    });
    // The search index starts loading when the visitor starts typing, not with the page.
    document.getElementById("q").addEventListener("focus", function () { load("search", function () {}); });
    window.addEventListener("hashchange", render);
    render();
  }

  load("catalogue", start);
  window.addEventListener("load", function () {
    if (!catalogue) showProblem("无法读取目录数据: catalogue");
  });
})();
