// The page of `shunt-host serve`. It shows what the host published and sends
// the person's clicks to the host, which runs them on its own thread; the
// page never changes the artwork itself.
"use strict";

// The browser's modifier keys as the host's key codes.
const KEY_CODES = [["shiftKey", 241], ["altKey", 240], ["ctrlKey", 243], ["metaKey", 244]];

let version = 0;
let state = null;
let artworkVersion = -1;
let openMenu = null;

function $(id) { return document.getElementById(id); }

function keysOf(event) {
  return KEY_CODES.filter(([name]) => event && event[name]).map(([, code]) => code).join(",");
}

async function call(path, params = {}) {
  const query = new URLSearchParams(params);
  let response;
  try {
    response = await fetch(`${path}?${query}`, { method: "POST" });
  } catch (error) {
    showMessage(`The host did not answer: ${error.message}`);
    return null;
  }
  if (!response.headers.get("Content-Type")?.startsWith("application/json")) {
    showMessage(await response.text());
    return null;
  }
  const answer = await response.json();
  apply(answer.version, answer.state);
  if (!answer.ok) showMessage(answer.error);
  return answer;
}

async function poll() {
  for (;;) {
    try {
      const response = await fetch(`/api/state?since=${version}`);
      if (!response.ok) throw new Error(await response.text());
      const answer = await response.json();
      $("stopped").hidden = true;
      apply(answer.version, answer.state);
    } catch {
      $("stopped").hidden = false;
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

function showMessage(text) { $("message").textContent = text || ""; }

function apply(newVersion, newState) {
  if (newVersion <= version || !newState) return;
  version = newVersion;
  state = newState;
  document.body.dataset.version = String(version);
  renderArtwork();
  renderSelection();
  renderPalette();
  renderMenus();
  renderModal();
  renderStatus();
}

// --- the artwork

function renderArtwork() {
  if (state.artworkVersion === artworkVersion) return;
  artworkVersion = state.artworkVersion;
  const container = $("artwork");
  const parsed = new DOMParser().parseFromString(state.svg, "image/svg+xml");
  const root = parsed.documentElement;
  if (root.nodeName !== "svg") {
    container.textContent = "The artwork cannot be shown.";
    return;
  }
  // The policy of the page already keeps scripts in the artwork from running;
  // they are taken out all the same.
  for (const script of root.querySelectorAll("script")) script.remove();
  for (const element of [root, ...root.querySelectorAll("*")]) {
    for (const attribute of [...element.attributes]) {
      if (attribute.name.toLowerCase().startsWith("on")) element.removeAttribute(attribute.name);
    }
  }
  // Placed images are fetched through the server, which serves only those the
  // document linked to when it was opened.
  for (const image of root.querySelectorAll("image")) {
    const href = image.getAttribute("href") ?? image.getAttributeNS("http://www.w3.org/1999/xlink", "href");
    if (href && !href.startsWith("data:")) {
      image.removeAttributeNS("http://www.w3.org/1999/xlink", "href");
      image.setAttribute("href", `/linked?${new URLSearchParams({ href })}`);
    }
  }
  container.replaceChildren(document.importNode(root, true));
  container.dataset.artworkVersion = String(artworkVersion);
}

function renderSelection() {
  const layer = $("selection-layer");
  const container = $("artwork");
  const origin = container.getBoundingClientRect();
  const canvas = $("canvas").getBoundingClientRect();
  layer.style.left = `${origin.left - canvas.left + $("canvas").scrollLeft}px`;
  layer.style.top = `${origin.top - canvas.top + $("canvas").scrollTop}px`;
  const boxes = [];
  for (const id of state.selection) {
    const element = container.querySelector(`[data-shunt-art="${id}"]`);
    if (!element) continue;
    const r = element.getBoundingClientRect();
    const box = document.createElement("div");
    box.className = "selection-box";
    box.dataset.selected = String(id);
    Object.assign(box.style, { left: `${r.left - origin.left}px`, top: `${r.top - origin.top}px`,
      width: `${r.width}px`, height: `${r.height}px` });
    boxes.push(box);
  }
  layer.replaceChildren(...boxes);
  $("artwork").dataset.selection = state.selection.join(",");
}

$("artwork").addEventListener("click", (event) => {
  const hit = event.target.closest("[data-shunt-art]");
  if (hit) {
    call("/api/select", { ids: hit.dataset.shuntArt, toggle: event.shiftKey ? "1" : "0" });
  } else if (!event.shiftKey) {
    call("/api/select", { ids: "" });
  }
});

// --- the palette

function pictureUrl(picture) {
  const query = new URLSearchParams({ plugin: picture.plugin, id: picture.id, name: picture.name });
  return `/picture?${query}`;
}

let paletteShape = "";

function renderPalette() {
  const palette = $("palette");
  const model = state.palette;
  if (!model) {
    palette.hidden = true;
    return;
  }
  palette.hidden = !model.visible;
  palette.dataset.visible = model.visible ? "1" : "0";
  if (!dragging) placePalette(model.bounds.top, model.bounds.left);
  palette.style.width = `${model.bounds.right - model.bounds.left}px`;
  palette.style.height = `${model.bounds.bottom - model.bounds.top}px`;
  const shape = JSON.stringify(model.items);
  if (shape === paletteShape) return;
  paletteShape = shape;
  const body = $("palette-body");
  const placed = model.items.some((item) => item.bounds.right > item.bounds.left);
  body.className = placed ? "placed" : "flow";
  const children = [];
  for (const item of model.items) {
    const element = item.id === -5 || item.entries ? popupOf(item) : buttonOf(item);
    if (placed) {
      Object.assign(element.style, { left: `${item.bounds.left}px`, top: `${item.bounds.top}px`,
        width: `${item.bounds.right - item.bounds.left}px`, height: `${item.bounds.bottom - item.bounds.top}px` });
    }
    children.push(element);
  }
  body.replaceChildren(...children);
}

function buttonOf(item) {
  const button = document.createElement("button");
  button.type = "button";
  button.dataset.item = String(item.id);
  button.title = item.text || `Item ${item.id}`;
  if (item.picture) {
    const image = document.createElement("img");
    image.src = pictureUrl(item.picture);
    image.alt = item.text || `item ${item.id}`;
    button.append(image);
  } else {
    button.textContent = item.text || String(item.id);
  }
  button.addEventListener("click", (event) => call("/api/click", { item: item.id, keys: keysOf(event) }));
  return button;
}

function popupOf(item) {
  const popup = document.createElement("div");
  popup.className = "popup";
  popup.dataset.item = String(item.id);
  const button = document.createElement("button");
  button.type = "button";
  button.className = "popup-button";
  button.textContent = item.text || "\u25BE";
  button.title = "Matrix";
  const list = document.createElement("ul");
  list.className = "menu-list";
  (item.entries || []).forEach((text, index) => {
    const entry = document.createElement("li");
    entry.className = "menu-item";
    entry.dataset.entry = String(index);
    entry.textContent = text;
    entry.addEventListener("click", (event) => {
      event.stopPropagation();
      popup.classList.remove("open");
      call("/api/choose", { index, keys: keysOf(event) });
    });
    list.append(entry);
  });
  button.addEventListener("click", (event) => {
    event.stopPropagation();
    closeMenus();
    popup.classList.toggle("open");
  });
  popup.append(button, list);
  return popup;
}

function placePalette(top, left) {
  $("palette").style.top = `${top}px`;
  $("palette").style.left = `${left}px`;
  $("palette").dataset.bounds = `${top},${left}`;
}

// Dragging by the title bar moves the panel on the page; the host hears of
// the new place when the button is let go, and keeps it in its dialog bounds.
let dragging = null;
$("palette-title").addEventListener("pointerdown", (event) => {
  const bounds = state.palette.bounds;
  dragging = { x: event.clientX, y: event.clientY, top: bounds.top, left: bounds.left };
  $("palette-title").setPointerCapture(event.pointerId);
});
$("palette-title").addEventListener("pointermove", (event) => {
  if (!dragging) return;
  placePalette(Math.round(dragging.top + event.clientY - dragging.y), Math.round(dragging.left + event.clientX - dragging.x));
});
$("palette-title").addEventListener("pointerup", async (event) => {
  if (!dragging) return;
  const top = Math.round(dragging.top + event.clientY - dragging.y);
  const left = Math.round(dragging.left + event.clientX - dragging.x);
  dragging = null;
  await call("/api/drag", { top, left });
  renderPalette();
});

// --- the menu bar

function closeMenus() {
  openMenu = null;
  for (const open of document.querySelectorAll(".menu.open, .popup.open")) open.classList.remove("open");
}

document.addEventListener("click", (event) => {
  if (!event.target.closest(".menu, .popup")) closeMenus();
});

function renderMenus() {
  const bar = $("host-menus");
  const menus = state.menus.map((menu) => {
    const element = document.createElement("div");
    element.className = "menu";
    element.dataset.menu = menu.name;
    if (openMenu === menu.name) element.classList.add("open");
    const title = document.createElement("div");
    title.className = "menu-title";
    title.textContent = menu.name;
    title.addEventListener("click", async (event) => {
      event.stopPropagation();
      if (openMenu === menu.name) {
        closeMenus();
        return;
      }
      closeMenus();
      openMenu = menu.name;
      element.classList.add("open");
      // The plug-ins set their check marks as the menu opens.
      await call("/api/menus/update");
    });
    element.append(title, menuList(menu.items));
    return element;
  });
  bar.replaceChildren(...menus);
}

function menuList(items) {
  const list = document.createElement("ul");
  list.className = "menu-list";
  for (const item of items) {
    const entry = document.createElement("li");
    entry.className = "menu-item";
    entry.dataset.menuItem = item.text;
    entry.dataset.checked = item.checked ? "1" : "0";
    const check = document.createElement("span");
    check.className = "check";
    check.textContent = item.checked ? "\u2713" : "";
    entry.append(check, document.createTextNode(item.text));
    if (item.submenu) {
      entry.classList.add("has-submenu");
      entry.append(menuList(item.submenu));
    } else {
      entry.addEventListener("click", (event) => {
        event.stopPropagation();
        closeMenus();
        renderMenus();
        call("/api/menu", { item: item.index });
      });
    }
    list.append(entry);
  }
  return list;
}

// --- alerts and modal dialogs: the page is blocked until one is answered

function renderModal() {
  const modal = state.modal;
  const backdrop = $("modal-backdrop");
  if (!modal) {
    backdrop.hidden = true;
    delete backdrop.dataset.number;
    return;
  }
  if (backdrop.dataset.number === String(modal.number)) return;
  backdrop.dataset.number = String(modal.number);
  backdrop.dataset.kind = modal.kind;
  $("modal-title").textContent = modal.kind === "alert" ? "Alert" : modal.name;
  $("modal-texts").replaceChildren(...modal.texts.map((text) => {
    const paragraph = document.createElement("p");
    paragraph.className = "modal-text";
    paragraph.textContent = text;
    return paragraph;
  }));
  $("modal-buttons").replaceChildren(...modal.buttons.map((button) => {
    const element = document.createElement("button");
    element.type = "button";
    element.dataset.answer = String(button.item);
    element.textContent = button.text;
    element.addEventListener("click", () => call("/api/answer", { modal: modal.number, item: button.item }));
    return element;
  }));
  backdrop.hidden = false;
  $("modal-buttons").querySelector("button")?.focus();
}

// --- toolbar and status

function renderStatus() {
  const doc = state.document;
  $("document-name").textContent = `${doc.name}${doc.unsaved ? " (unsaved changes)" : ""}`;
  $("document-name").dataset.unsaved = doc.unsaved ? "1" : "0";
  $("undo").disabled = !state.undo;
  $("redo").disabled = !state.redo;
  if (doc.renderError) showMessage(`The artwork cannot be shown: ${doc.renderError}`);
  else if (doc.message && !$("message").textContent) showMessage(doc.message);
  const lines = state.log.slice(-40).map((line) => {
    const item = document.createElement("li");
    item.textContent = line;
    return item;
  });
  $("log").replaceChildren(...lines);
  $("log").scrollTop = $("log").scrollHeight;
}

$("undo").addEventListener("click", () => call("/api/undo"));
$("redo").addEventListener("click", () => call("/api/redo"));
$("select-all").addEventListener("click", () => call("/api/select", { ids: "all" }));
$("select-none").addEventListener("click", () => call("/api/select", { ids: "" }));
$("save").addEventListener("click", async () => {
  showMessage("");
  await call("/api/save");
});

document.addEventListener("keydown", (event) => {
  if (state?.modal) return;
  const command = event.ctrlKey || event.metaKey;
  if (command && event.key.toLowerCase() === "z") {
    event.preventDefault();
    call(event.shiftKey ? "/api/redo" : "/api/undo");
  } else if (command && event.key.toLowerCase() === "a") {
    event.preventDefault();
    call("/api/select", { ids: "all" });
  } else if (command && event.key.toLowerCase() === "s") {
    event.preventDefault();
    call("/api/save");
  } else if (event.key === "Escape") {
    closeMenus();
    call("/api/select", { ids: "" });
  }
});

window.addEventListener("resize", () => state && renderSelection());
$("canvas").addEventListener("scroll", () => state && renderSelection());

poll();
