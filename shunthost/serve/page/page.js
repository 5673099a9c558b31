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

// The palette's step for the modifiers held, as the plug-in computes it:
// Shift makes Alt, Ctrl and Meta multiply the step; without it they divide.
function stepOf(event) {
  const shift = Boolean(event?.shiftKey);
  let step = shift ? (event.altKey ? 4 : 2) : (event?.altKey ? 0.5 : 1);
  if (event?.ctrlKey) step *= shift ? 4 : 0.25;
  if (event?.metaKey) step *= shift ? 8 : 0.125;
  return step;
}

// The keys by the names on the person's keyboard.
const ON_MAC = /Mac/.test(navigator.platform);
const KEY_NAMES = [["shiftKey", "Shift"], ["ctrlKey", "Ctrl"], ["altKey", ON_MAC ? "Option" : "Alt"],
  ["metaKey", ON_MAC ? "Cmd" : "Meta"]];

function stepText(event) {
  const held = KEY_NAMES.filter(([name]) => event?.[name]).map(([, text]) => text).join("+");
  return held ? `Step ${stepOf(event)} \u2014 ${held}` : `Step ${stepOf(event)}`;
}

function showStep(event) {
  const text = stepText(event);
  if ($("palette-step").textContent !== text) $("palette-step").textContent = text;
}

if (ON_MAC) $("palette-keys").textContent = $("palette-keys").textContent.replace("Alt", "Option").replace("Meta", "Cmd");

for (const type of ["keydown", "keyup", "pointermove", "pointerdown"]) {
  window.addEventListener(type, showStep, true);
}
window.addEventListener("blur", () => showStep(null));

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
  const answer = await readState(response);
  apply(answer.version, answer.state);
  if (!answer.ok) showMessage(answer.error);
  return answer;
}

// An answer that carries the host's state. The long poll and the answer
// to a click usually bring the same version at once, a large text when
// every path changed: the one that comes second is not parsed again.
async function readState(response) {
  const shown = response.headers.get("Shunt-State-Version");
  if (response.ok && shown !== null && Number(shown) === version) {
    await response.arrayBuffer();
    return { ok: true, error: "", version, state };
  }
  return response.json();
}

async function poll() {
  for (;;) {
    try {
      const response = await fetch(`/api/state?since=${version}`);
      if (!response.ok) throw new Error(await response.text());
      $("stopped").hidden = true;
      const answer = await readState(response);
      apply(answer.version, answer.state);
    } catch {
      $("stopped").hidden = false;
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

// Text is set only when it changes: each change is laid out again.
function setText(element, text) {
  if (element.textContent !== text) element.textContent = text;
}

function showMessage(text) { setText($("message"), text || ""); }

// What the page says when an operation changed nothing, or why it could not.
function explainUnchanged(before, answer, what) {
  if (!answer?.ok || !answer.state) return;
  if (state.selection.length === 0) {
    showMessage(what.empty);
  } else if (answer.state.artworkVersion === before) {
    showMessage(what.unchanged);
  }
}

const ITEM_WORDS = {
  1: "right", 2: "down and right", 3: "down", 4: "down and left", 5: "left", 6: "up and left", 7: "up",
  8: "up and right",
};

function wordsForItem(id) {
  if (ITEM_WORDS[id]) {
    return { tip: `Move the pattern inside each selected shape ${ITEM_WORDS[id]} by the step (see below)`,
      empty: "Nothing selected: select a shape filled with a pattern", unchanged: "Nothing selected has a pattern fill" };
  }
  if (id === 9 || id === 10) {
    return { tip: `Shift the dashes of each selected dashed stroke ${id === 9 ? "back" : "forward"} along it by the step`,
      empty: "Nothing selected: select a dashed stroke", unchanged: "Nothing selected has a dashed stroke" };
  }
  if (id === 11) {
    return { tip: "Reset: put the patterns and dashes of the selected shapes back where they started",
      empty: "Nothing selected: nothing to reset", unchanged: "Nothing selected has a moved pattern or dashes to reset" };
  }
  return null;
}

// The directions of the arrows, as signs of x and y on the page.
const ITEM_DIRECTIONS = { 1: [1, 0], 2: [1, 1], 3: [0, 1], 4: [-1, 1], 5: [-1, 0], 6: [-1, -1], 7: [0, -1], 8: [1, -1] };

// The tile size of the pattern an element is filled with, when the pattern
// is only moved (not scaled, turned or sheared), else null.
function tileOf(element) {
  const reference = /url\(#([^)]+)\)/.exec(element.getAttribute("fill") ?? "");
  let pattern = reference && artworkView.root.getElementById(reference[1]);
  const transform = pattern?.patternTransform?.baseVal.consolidate()?.matrix;
  if (transform && (transform.a !== 1 || transform.b !== 0 || transform.c !== 0 || transform.d !== 1)) return null;
  for (let hops = 0; pattern && hops < 8; hops++) {
    const width = parseFloat(pattern.getAttribute("width"));
    const height = parseFloat(pattern.getAttribute("height"));
    if (width > 0 && height > 0) return { width, height };
    const next = (pattern.getAttribute("href") ?? "").slice(1);
    pattern = next ? artworkView.root.getElementById(next) : null;
  }
  return null;
}

// A move by whole tiles changes the numbers but not the picture: say so,
// or it looks as if nothing happened. The first shape that moved otherwise
// ends the look, which with every path of a large drawing selected is
// usually the first.
function explainWholeTiles(id, step) {
  const [dx, dy] = ITEM_DIRECTIONS[id] ?? [0, 0];
  if (!(dx || dy)) return;
  const whole = (period) => Number.isInteger(step / period);
  let shapes = 0;
  for (const art of state.selection) {
    const element = artworkView.byArt.get(art);
    if (!element) continue;
    const tile = tileOf(element);
    if (!tile || (dx && !whole(tile.width)) || (dy && !whole(tile.height))) return;
    shapes++;
  }
  if (shapes > 0) showMessage(`Moved by ${step}, a whole number of pattern tiles: the pattern looks the same`);
}

async function clickItem(id, event) {
  const words = wordsForItem(id);
  const before = state.artworkVersion;
  showMessage("");
  const answer = await call("/api/click", { item: id, keys: keysOf(event) });
  if (words) explainUnchanged(before, answer, words);
  if (answer?.ok && answer.state?.artworkVersion !== before) explainWholeTiles(id, stepOf(event));
}

function apply(newVersion, newState) {
  if (newVersion <= version || !newState) return;
  version = newVersion;
  state = newState;
  renderArtwork();
  renderSelection();
  renderPalette();
  renderMenus();
  renderModal();
  renderStatus();
  document.body.dataset.version = String(version);
}

// --- the artwork
//
// The artwork is drawn in a shadow root from a copy that keeps only SVG
// elements and attributes on an allow-list: no scripts, event attributes,
// links, HTML (a <meta> there could navigate the page or change its referrer
// policy) or animations. Its own <style> stays inside the shadow root, and
// #canvas confines whatever :host rules do to the drawing's area. After the
// first load the host sends only what changed, which is patched in place.

const SVG_NS = "http://www.w3.org/2000/svg";
const XLINK_NS = "http://www.w3.org/1999/xlink";
const XML_NS = "http://www.w3.org/XML/1998/namespace";

const ALLOWED_ELEMENTS = new Set(["svg", "g", "defs", "symbol", "use", "switch", "a", "path", "rect", "circle",
  "ellipse", "line", "polyline", "polygon", "text", "tspan", "textPath", "title", "desc", "image", "pattern",
  "linearGradient", "radialGradient", "stop", "clipPath", "mask", "marker", "filter", "style", "foreignObject",
  "feBlend", "feColorMatrix", "feComponentTransfer", "feComposite", "feConvolveMatrix", "feDiffuseLighting",
  "feDisplacementMap", "feDistantLight", "feDropShadow", "feFlood", "feFuncA", "feFuncB", "feFuncG", "feFuncR",
  "feGaussianBlur", "feImage", "feMerge", "feMergeNode", "feMorphology", "feOffset", "fePointLight",
  "feSpecularLighting", "feSpotLight", "feTile", "feTurbulence"]);
// Elements whose text is drawn or read as styles.
const TEXT_ELEMENTS = new Set(["text", "tspan", "textPath", "title", "desc", "style"]);
// What makes a request, a navigation or a policy change.
const DROPPED_ATTRIBUTES = new Set(["target", "referrerpolicy", "ping", "rel", "download", "hreflang",
  "crossorigin", "formaction", "srcdoc", "src"]);

const artworkView = { version: -1, root: null, byArt: new Map(), byKey: new Map(), loading: null };

// The value to give an attribute on the page's copy, or null to leave it out.
// `namespace` is null, the XLink or the XML namespace; others are left out.
function allowedValue(tag, namespace, name, value) {
  if (namespace !== null && namespace !== XLINK_NS && namespace !== XML_NS) return null;
  const lower = name.toLowerCase();
  if (lower.startsWith("on") || DROPPED_ATTRIBUTES.has(lower)) return null;
  if (namespace === XLINK_NS && name !== "href") return null;
  if (name === "href") {
    if (tag === "a") return null;
    if (tag === "image") {
      if (/^data:image\/(png|jpeg|gif|webp|bmp);/i.test(value)) return value;
      // Placed images come through the server, which serves only those the
      // document linked to when it was opened.
      return `/linked?${new URLSearchParams({ href: value })}`;
    }
    return value.startsWith("#") ? value : null;
  }
  return value;
}

// The write that gives an element named `tag` the attribute, as
// applyWrites takes it, or null when the allow-list leaves it out.
function writeOf(tag, namespace, name, value) {
  const allowed = allowedValue(tag, namespace, name, value);
  if (allowed === null) return null;
  // A link is kept as plain href, whichever way the file wrote it.
  if (name === "href") return [undefined, "href", allowed];
  if (namespace === XML_NS) return [XML_NS, `xml:${name}`, allowed];
  return [undefined, name, allowed];
}

function setAllowed(element, namespace, name, value) {
  const write = writeOf(element.localName, namespace, name, value);
  if (write) applyWrites(element, [write]);
}

// A copy of `source` that keeps only what the allow-list names.
function sanitisedCopy(source) {
  const rootCopy = document.createElementNS(SVG_NS, "svg");
  const stack = [[source, rootCopy]];
  while (stack.length) {
    const [from, to] = stack.pop();
    for (const attribute of from.attributes) {
      if (attribute.namespaceURI === XLINK_NS && attribute.localName === "href" && from.hasAttribute("href")) continue;
      setAllowed(to, attribute.namespaceURI, attribute.localName, attribute.value);
    }
    if (to.localName === "foreignObject") continue;  // its HTML stays out
    for (const child of from.childNodes) {
      if (child.nodeType === Node.ELEMENT_NODE) {
        if (child.namespaceURI !== SVG_NS || !ALLOWED_ELEMENTS.has(child.localName)) continue;
        // A link is kept as a group: what it holds is drawn, and goes nowhere.
        const copy = document.createElementNS(SVG_NS, child.localName === "a" ? "g" : child.localName);
        to.append(copy);
        stack.push([child, copy]);
      } else if ((child.nodeType === Node.TEXT_NODE || child.nodeType === Node.CDATA_SECTION_NODE) &&
        TEXT_ELEMENTS.has(to.localName)) {
        to.append(document.createTextNode(child.data));
      }
    }
  }
  return rootCopy;
}

function artworkShadow() {
  const host = $("artwork");
  return host.shadowRoot ?? host.attachShadow({ mode: "open" });
}

function showWholeArtwork(text) {
  const parsed = new DOMParser().parseFromString(text, "image/svg+xml");
  const source = parsed.documentElement;
  if (source.namespaceURI !== SVG_NS || source.localName !== "svg") {
    artworkShadow().replaceChildren();
    artworkView.root = null;
    $("artwork").style.removeProperty("clip-path");
    artworkKept = null;
    showMessage("The artwork cannot be shown.");
    return;
  }
  const root = sanitisedCopy(source);
  root.style.setProperty("display", "block");
  artworkView.byArt = new Map();
  artworkView.byKey = new Map();
  for (const element of root.querySelectorAll("[data-shunt-art]")) {
    artworkView.byArt.set(Number(element.getAttribute("data-shunt-art")), element);
  }
  for (const element of root.querySelectorAll("[data-shunt-key]")) {
    artworkView.byKey.set(Number(element.getAttribute("data-shunt-key")), element);
  }
  artworkView.root = root;
  holdOwnPatterns(root);
  artworkShadow().replaceChildren(root);
  clipArtwork();
  forgetShapes();
}

function patchAttributes(element, set, removed) {
  applyWrites(element, writesFor(element.localName, set, removed));
}

// What setting `set` and removing `removed` does to an element named `tag`,
// worked out once: a move of every path of a large drawing sets the same
// on each of their patterns.
function writesFor(tag, set, removed) {
  const writes = removed.map((name) => [null, name === "xlink:href" ? "href" : name, null]);
  for (const [qualified, value] of Object.entries(set)) {
    const colon = qualified.indexOf(":");
    const prefix = colon < 0 ? "" : qualified.slice(0, colon);
    const name = qualified.slice(colon + 1);
    const namespace = prefix === "" ? null : prefix === "xlink" ? XLINK_NS : prefix === "xml" ? XML_NS : "other";
    const write = writeOf(tag, namespace, name, value);
    if (write) writes.push(write);
  }
  return writes;
}

function applyWrites(element, writes) {
  for (const [namespace, name, value] of writes) {
    if (value === null) element.removeAttribute(name);
    else if (namespace === XML_NS) element.setAttributeNS(XML_NS, name, value);
    else element.setAttribute(name, value);
  }
}

function setQualified(element, qualified, value) {
  applyWrites(element, writesFor(element.localName, { [qualified]: value }, []));
}

// The artwork's own <defs>, made first if it has none.
function artworkDefs() {
  let defs = artworkView.root.querySelector(":scope > defs");
  if (!defs) {
    defs = document.createElementNS(SVG_NS, "defs");
    artworkView.root.prepend(defs);
  }
  return defs;
}

// Applies one step of changes; false when the page must load the whole artwork.
// The own patterns come first, so that the fills naming them find them.
function patchArtwork(delta) {
  if (delta.reload || !artworkView.root) return false;
  // New patterns are made apart from the drawing and put into it at once:
  // a first move of every path of a large drawing makes one for each, and
  // one by one each made the browser look over the drawing again.
  // The host tells those it made by groups, with what differs among a
  // group's patterns (their ids) as lists in the order of its keys.
  const made = [];
  const relooked = [];
  let lost = false;
  for (const [keys, set, removed, isNew, each = {}] of delta.patterns) {
    // Of what differs, only what the page keeps (the host's own attributes
    // in other namespaces are left out).
    const differing = Object.entries(each).filter(([qualified, values]) =>
      writesFor("pattern", { [qualified]: values.find((value) => value !== undefined) ?? "" }, []).length);
    const writes = new Map();
    const held = [];
    // The patterns a group makes are copies of one, which is quicker than
    // making each and setting what they share.
    let model = null;
    keys.forEach((key, index) => {
      let element = artworkView.byKey.get(key);
      if (!element && !isNew) {
        lost = true;
        return;
      }
      if (!element) {
        if (!model) {
          model = document.createElementNS(SVG_NS, "pattern");
          applyWrites(model, writesFor("pattern", set, removed));
        }
        element = model.cloneNode(false);
        element.setAttribute("data-shunt-key", String(key));
        artworkView.byKey.set(key, element);
      } else {
        const tag = element.localName;
        if (!writes.has(tag)) writes.set(tag, writesFor(tag, set, removed));
        applyWrites(element, writes.get(tag));
      }
      for (const [qualified, values] of differing) {
        if (values[index] !== undefined) setQualified(element, qualified, values[index]);
      }
      if (looks.ofKey.has(key) || (!element.isConnected && mayHold(element))) held.push(key);
      else if (!element.isConnected) made.push([key, element]);
    });
    const naming = isNew || "id" in set || "id" in each || removed.includes("id");
    relooked.push([held, differing.every(([name]) => name === "id"), naming]);
  }
  if (lost) return false;
  lookAgain(relooked);
  if (made.length) {
    // In the order the host made them, as a fresh load has them.
    const fragment = document.createDocumentFragment();
    fragment.append(...made.sort((a, b) => a[0] - b[0]).map(([, element]) => element));
    artworkDefs().append(fragment);
  }
  for (const [id, set, removed] of delta.arts) {
    const element = artworkView.byArt.get(id);
    if (!element) continue;
    patchAttributes(element, shownSet(element, set, removed), removed);
    if (shapeIndex.shapes && (Object.keys(set).some(mayMoveShape) || removed.some(mayMoveShape))) forgetShapes();
  }
  for (const key of delta.removed) {
    artworkView.byKey.get(key)?.remove();
    artworkView.byKey.delete(key);
    letGo(key);
  }
  return true;
}

// --- own patterns drawn by their looks
//
// A move of every path of a large drawing gives each path a pattern of its
// own, all alike. The browser draws one pattern that many paths show far
// faster than as many patterns alike, and a change of one element faster
// than of thousands. So the page holds the own patterns apart from the
// drawing, makes one pattern for each different look among them, with the
// same attributes, and points the paths' fills at those; a move of all the
// paths of a look changes the look in place. An own pattern anything else
// names (a link, a style sheet), or that holds content, stays where it is.

const LOOK_ID = "shunt-look-";
const looks = {
  ofKey: new Map(),          // key of an own pattern held apart -> its look
  bySignature: new Map(),    // signature -> look { element, signature, members: Set of keys }
  keyOfId: new Map(),        // id of a held pattern -> key
  idOfKey: new Map(),
  users: new Map(),          // key -> art elements whose attributes name it
  sent: new WeakMap(),       // art element -> { name: value as the host sent it } for those naming patterns
  named: new WeakMap(),      // art element -> keys its attributes name
  linked: new Set(),         // ids that links in the drawing name
  sheets: "",                // the drawing's style sheets
  next: 1,
};

const URL_REFERENCE = /url\(\s*(['"]?)#([^'")\s]+)\1\s*\)/g;

function resetLooks() {
  for (const name of ["ofKey", "bySignature", "keyOfId", "idOfKey", "users"]) looks[name].clear();
  looks.sent = new WeakMap();
  looks.named = new WeakMap();
  looks.linked = new Set();
  looks.sheets = "";
  looks.next = 1;
}

// Whether an own pattern may be held apart: only paths' attributes name it.
function mayHold(element) {
  const id = element.getAttribute("id");
  return element.localName === "pattern" && !element.firstElementChild && id !== null && !looks.linked.has(id) &&
    !(looks.sheets && looks.sheets.includes(id));
}

// What a pattern draws with: its attributes other than its id and key.
function signatureOf(element) {
  const parts = [];
  for (const attribute of element.attributes) {
    if (attribute.name !== "id" && attribute.name !== "data-shunt-key") parts.push(`${attribute.name}=${attribute.value}`);
  }
  return parts.sort().join("\n");
}

function copyLook(from, to) {
  for (const attribute of [...to.attributes]) {
    if (attribute.name !== "id") to.removeAttributeNode(attribute);
  }
  for (const attribute of from.attributes) {
    if (attribute.name === "id" || attribute.name === "data-shunt-key") continue;
    if (attribute.namespaceURI) to.setAttributeNS(attribute.namespaceURI, attribute.name, attribute.value);
    else to.setAttribute(attribute.name, attribute.value);
  }
}

function lookFor(signature, template) {
  let look = looks.bySignature.get(signature);
  if (look) return look;
  const element = document.createElementNS(SVG_NS, "pattern");
  let id;
  do id = `${LOOK_ID}${looks.next++}`; while (artworkView.root.getElementById(id));
  element.id = id;
  copyLook(template, element);
  artworkDefs().append(element);
  look = { element, signature, members: new Set() };
  looks.bySignature.set(signature, look);
  return look;
}

function leaveLook(key) {
  const look = looks.ofKey.get(key);
  if (!look) return;
  looks.ofKey.delete(key);
  look.members.delete(key);
  if (look.members.size === 0) {
    look.element.remove();
    if (looks.bySignature.get(look.signature) === look) looks.bySignature.delete(look.signature);
  }
}

function joinLook(key, look) {
  looks.ofKey.set(key, look);
  look.members.add(key);
}

// Keeps the id a held pattern is named by.
function nameHeld(key) {
  const id = artworkView.byKey.get(key).getAttribute("id");
  const old = looks.idOfKey.get(key);
  if (old === id) return;
  if (old !== undefined && looks.keyOfId.get(old) === key) looks.keyOfId.delete(old);
  if (id !== null) {
    looks.keyOfId.set(id, key);
    looks.idOfKey.set(key, id);
  } else {
    looks.idOfKey.delete(key);
  }
}

// Gives the held patterns that `groups` changed the looks they have now.
// A group is the keys of one entry of the host's changes, whether they
// changed alike (no values of their own but ids), and whether their ids may
// have changed. A look all of whose patterns changed alike changes in place,
// as a move of all of a look's paths does; patterns that looked alike and
// changed alike go to one look together; the others are looked at one by one.
function lookAgain(groups) {
  const parts = new Map();  // look (undefined for the new) -> [[keys, alike]...]
  for (const [keys, alike, naming] of groups) {
    const byLook = new Map();
    for (const key of keys) {
      if (naming) nameHeld(key);
      const look = looks.ofKey.get(key);
      if (!byLook.has(look)) byLook.set(look, []);
      byLook.get(look).push(key);
    }
    for (const [look, members] of byLook) {
      if (!parts.has(look)) parts.set(look, []);
      parts.get(look).push([members, alike]);
    }
  }
  const moving = [];
  const together = [];
  const single = [];
  for (const [look, list] of parts) {
    for (const [members, alike] of list) {
      if (!alike) {
        single.push(...members);
        continue;
      }
      const signature = signatureOf(artworkView.byKey.get(members[0]));
      if (signature === look?.signature) continue;
      if (look && list.length === 1 && members.length === look.members.size) moving.push([look, signature, members]);
      else together.push([signature, members]);
    }
  }
  for (const [look] of moving) {
    if (looks.bySignature.get(look.signature) === look) looks.bySignature.delete(look.signature);
  }
  for (const [look, signature, members] of moving) {
    if (looks.bySignature.has(signature)) {
      together.push([signature, members]);  // another look has it already: they join that one
      continue;
    }
    look.signature = signature;
    looks.bySignature.set(signature, look);
    copyLook(artworkView.byKey.get(members[0]), look.element);
  }
  for (const key of single) {
    together.push([signatureOf(artworkView.byKey.get(key)), [key]]);
  }
  for (const [signature, members] of together) {
    const look = lookFor(signature, artworkView.byKey.get(members[0]));
    for (const key of members) {
      if (looks.ofKey.get(key) === look) continue;
      leaveLook(key);
      joinLook(key, look);
      // A copy: pointing an art takes it out of the list and puts it back.
      for (const art of [...(looks.users.get(key) ?? [])]) pointArt(art);
    }
  }
}

function letGo(key) {
  if (!looks.ofKey.has(key)) return;
  leaveLook(key);
  const id = looks.idOfKey.get(key);
  if (id !== undefined && looks.keyOfId.get(id) === key) looks.keyOfId.delete(id);
  looks.idOfKey.delete(key);
  looks.users.delete(key);
}

// The values of the art element's attributes that name patterns, as the host
// sent them, with each held pattern named by its look instead; keeps who
// names which.
function lookedValues(element) {
  const sent = looks.sent.get(element);
  for (const key of looks.named.get(element) ?? []) {
    const users = looks.users.get(key);
    const at = users?.indexOf(element) ?? -1;
    if (at >= 0) users.splice(at, 1);
  }
  const named = [];
  const shown = {};
  for (const [name, value] of Object.entries(sent ?? {})) {
    shown[name] = value.replace(URL_REFERENCE, (whole, quote, id) => {
      const key = looks.keyOfId.get(id);
      const look = key === undefined ? undefined : looks.ofKey.get(key);
      if (!look) return whole;
      named.push(key);
      return `url(#${look.element.id})`;
    });
  }
  for (const key of named) {
    if (!looks.users.has(key)) looks.users.set(key, []);
    looks.users.get(key).push(element);
  }
  if (named.length) looks.named.set(element, named);
  else looks.named.delete(element);
  return shown;
}

// What the host's change `set` of an art element's attributes is on the page.
function shownSet(element, set, removed) {
  let sent = looks.sent.get(element);
  let names = 0;
  for (const [name, value] of Object.entries(set)) {
    if (!value.includes("url(")) {
      if (sent) delete sent[name];
      continue;
    }
    if (!sent) {
      sent = {};
      looks.sent.set(element, sent);
    }
    sent[name] = value;
    names++;
  }
  if (!sent) return set;
  for (const name of removed) delete sent[name];
  const shown = lookedValues(element);
  if (Object.keys(sent).length === 0) looks.sent.delete(element);
  if (names === 0) return set;
  const out = { ...set };
  for (const name of Object.keys(set)) {
    if (name in shown) out[name] = shown[name];
  }
  return out;
}

// Writes the art element's attributes that name held patterns again, as
// their looks changed.
function pointArt(element) {
  for (const [name, value] of Object.entries(lookedValues(element))) {
    if (element.getAttribute(name) !== value) element.setAttribute(name, value);
  }
}

// On a whole load: takes the own patterns that only paths' attributes name
// out of the drawing and points those paths at their looks.
function holdOwnPatterns(root) {
  resetLooks();
  for (const element of root.querySelectorAll("[href]")) {
    const href = element.getAttribute("href");
    if (href.startsWith("#")) looks.linked.add(href.slice(1));
  }
  looks.sheets = [...root.querySelectorAll("style")].map((style) => style.textContent).join("\n");
  for (const [key, element] of artworkView.byKey) {
    if (!mayHold(element)) continue;
    element.remove();
    nameHeld(key);
    joinLook(key, lookFor(signatureOf(element), element));
  }
  if (!looks.ofKey.size) return;
  for (const element of artworkView.byArt.values()) {
    let sent = null;
    for (const attribute of element.attributes) {
      if (attribute.value.includes("url(")) {
        sent ??= {};
        sent[attribute.name] = attribute.value;
      }
    }
    if (!sent) continue;
    looks.sent.set(element, sent);
    pointArt(element);
  }
}

function artworkShown(version) {
  artworkView.version = version;
  $("artwork").dataset.artworkVersion = String(version);
}

// Loads what the page lacks: the changes since its version, or everything.
async function catchUp() {
  if (artworkView.loading) return artworkView.loading;
  artworkView.loading = (async () => {
    while (artworkView.version < state.artworkVersion) {
      const since = artworkView.version >= 0 ? `since=${artworkView.version}` : "";
      const response = await fetch(`/api/artwork?${since}`);
      if (!response.ok) {
        await new Promise((resolve) => setTimeout(resolve, 200));
        continue;
      }
      const answer = await response.json();
      if (answer.svg !== undefined || answer.error !== undefined) {
        if (answer.error) showMessage(`The artwork cannot be shown: ${answer.error}`);
        else showWholeArtwork(answer.svg);
        artworkShown(answer.version);
      } else if (answer.deltas.every(patchArtwork)) {
        artworkShown(answer.version);
      } else {
        artworkView.version = -1;  // lost track: load it all
      }
    }
    renderSelection(true);
  })().finally(() => { artworkView.loading = null; });
  return artworkView.loading;
}

function renderArtwork() {
  if (state.artworkVersion === artworkView.version) return;
  const delta = state.artworkDelta;
  if (delta && !artworkView.loading && state.artworkVersion === artworkView.version + 1) {
    if (patchArtwork(delta)) {
      artworkShown(state.artworkVersion);
      return;
    }
    artworkView.version = -1;  // lost track: load it all
  }
  catchUp();
}

let selectionShown = null;

function artName(id) {
  const element = artworkView.byArt.get(id);
  return element?.getAttribute("id") || element?.localName || `object ${id}`;
}

function selectionText() {
  const count = state.selection.length;
  if (count === 0) return "Nothing selected";
  const names = state.selection.slice(0, 6).map(artName).join(", ");
  const more = count > 6 ? ", \u2026" : "";
  return `${count} selected: ${names}${more}`;
}

// The handles at the corners and the middles of the sides of a box.
const HANDLE_PLACES = [["start", "start"], ["center", "start"], ["end", "start"], ["start", "center"],
  ["end", "center"], ["start", "end"], ["center", "end"], ["end", "end"]];

// Up to this many selected objects get a box of elements each. A larger
// selection is drawn on one canvas, and only where it can be seen: ten
// elements for each of tens of thousands of objects took seconds to make
// and lay out, whatever part of them was in view.
const BOXES_AS_ELEMENTS = 64;

// The selection as last drawn on the canvas: the boxes at the artwork's
// origin, their bounds, and the part of the layer the canvas covers.
const selectionPicture = { canvas: null, boxes: [], bounds: null, drawn: null, layerLeft: 0, layerTop: 0 };

function renderSelection(force = false) {
  if (!force && selectionShown === state.selectionVersion) return;
  selectionShown = state.selectionVersion;
  const layer = $("selection-layer");
  const container = $("artwork");
  const origin = container.getBoundingClientRect();
  const canvas = $("canvas").getBoundingClientRect();
  const layerLeft = origin.left - canvas.left + $("canvas").scrollLeft;
  const layerTop = origin.top - canvas.top + $("canvas").scrollTop;
  layer.style.left = `${layerLeft}px`;
  layer.style.top = `${layerTop}px`;
  const boxes = [];
  for (const id of state.selection) {
    const element = artworkView.byArt.get(id);
    if (!element) continue;
    const r = element.getBoundingClientRect();
    boxes.push({ id, left: r.left - origin.left, top: r.top - origin.top, width: r.width, height: r.height });
  }
  if (boxes.length <= BOXES_AS_ELEMENTS) {
    selectionPicture.boxes = [];
    layer.replaceChildren(...boxes.map(boxElement));
  } else {
    Object.assign(selectionPicture, { boxes, bounds: boundsOf(boxes), drawn: null, layerLeft, layerTop });
    drawSelectionPicture();
  }
  setText($("selection-status"), selectionText());
  $("artwork").dataset.selection = state.selection.join(",");
}

function boxElement(box) {
  const element = document.createElement("div");
  element.className = "selection-box";
  element.dataset.selected = String(box.id);
  element.style.cssText =
    `margin-left:${box.left}px;margin-top:${box.top}px;width:${box.width}px;height:${box.height}px`;
  const ring = document.createElement("div");
  ring.className = "ring";
  element.append(ring);
  for (const [x, y] of HANDLE_PLACES) {
    const handle = document.createElement("div");
    handle.className = "handle";
    handle.style.cssText = `justify-self:${x};align-self:${y}`;
    element.append(handle);
  }
  return element;
}

// --- the selection on one canvas
//
// Drawn as page.css draws a box of elements, box after box in the same
// order, each edge on the device pixel the browser puts it on: the picture
// is the same, and so is how boxes that overlap cover each other.

// How far a box's picture reaches outside it: the white halo.
const BOX_REACH = 5;
// How much of the layer beyond the view the canvas covers, so that a
// scroll shows boxes drawn already rather than waiting for them.
const PICTURE_MARGIN = 256;

function boundsOf(boxes) {
  let left = Infinity;
  let top = Infinity;
  let right = -Infinity;
  let bottom = -Infinity;
  for (const box of boxes) {
    left = Math.min(left, box.left);
    top = Math.min(top, box.top);
    right = Math.max(right, box.left + box.width);
    bottom = Math.max(bottom, box.top + box.height);
  }
  const reach = BOX_REACH + 1;
  return { left: left - reach, top: top - reach, right: right + reach, bottom: bottom + reach };
}

// The part of the layer the canvas shows now, in the layer's coordinates.
function selectionInView() {
  const view = $("canvas");
  const shown = view.getBoundingClientRect();
  const origin = $("artwork").getBoundingClientRect();
  const left = shown.left + view.clientLeft - origin.left;
  const top = shown.top + view.clientTop - origin.top;
  return { left, top, right: left + view.clientWidth, bottom: top + view.clientHeight };
}

const covers = (outer, inner) => outer.left <= inner.left && outer.top <= inner.top &&
  outer.right >= inner.right && outer.bottom >= inner.bottom;

// Draws the boxes in view, and as far around it as the margin goes; never
// beyond the boxes, so that the canvas does not make the page scroll further.
function drawSelectionPicture() {
  const picture = selectionPicture;
  const view = selectionInView();
  const area = {
    left: Math.max(view.left - PICTURE_MARGIN, picture.bounds.left),
    top: Math.max(view.top - PICTURE_MARGIN, picture.bounds.top),
    right: Math.min(view.right + PICTURE_MARGIN, picture.bounds.right),
    bottom: Math.min(view.bottom + PICTURE_MARGIN, picture.bounds.bottom),
  };
  if (!picture.canvas) {
    picture.canvas = document.createElement("canvas");
    picture.canvas.className = "selection-picture";
  }
  const canvas = picture.canvas;
  if (canvas.parentNode !== $("selection-layer")) $("selection-layer").replaceChildren(canvas);
  const scale = window.devicePixelRatio || 1;
  // Where the browser puts an edge: it lays out in fractions of 1/64 of a
  // device pixel, adds up the offsets from the scrolled content and paints
  // on the nearest device pixel; the layer is placed at a fraction too.
  const unit = (value) => Math.trunc(value * scale * 64) / 64;
  const layerX = unit(picture.layerLeft);
  const layerY = unit(picture.layerTop);
  const left = Math.round(layerX + unit(area.left));
  const top = Math.round(layerY + unit(area.top));
  const width = Math.max(0, Math.round(layerX + unit(area.right)) - left);
  const height = Math.max(0, Math.round(layerY + unit(area.bottom)) - top);
  picture.drawn = { left: (left - layerX) / scale, top: (top - layerY) / scale,
    right: (left + width - layerX) / scale, bottom: (top + height - layerY) / scale };
  canvas.width = width;
  canvas.height = height;
  canvas.style.cssText = `margin-left:${picture.drawn.left}px;margin-top:${picture.drawn.top}px;` +
    `width:${width / scale}px;height:${height / scale}px`;
  if (!width || !height) return;
  const context = canvas.getContext("2d");
  const handle = unit(8);
  // Boxes of one shape, as a drawing of many alike objects has, are drawn
  // once aside and then copied: copying one picture over what is drawn
  // blends as drawing its parts one by one does.
  const sprites = new Map();
  const reach = Math.round(BOX_REACH * scale) + 1;
  for (const box of picture.boxes) {
    if (box.left + box.width < area.left - BOX_REACH || box.left > area.right + BOX_REACH ||
      box.top + box.height < area.top - BOX_REACH || box.top > area.bottom + BOX_REACH) continue;
    const boxX = layerX + unit(box.left);
    const boxY = layerY + unit(box.top);
    const boxWidth = unit(box.width);
    const boxHeight = unit(box.height);
    const x0 = Math.round(boxX);
    const y0 = Math.round(boxY);
    // The box's size and its handles' rectangles, from its top left corner.
    const shape = [Math.round(boxX + boxWidth) - x0, Math.round(boxY + boxHeight) - y0];
    for (const [across, down] of HANDLE_PLACES) {
      const hx = boxX + alongside(across, boxWidth) - handle / 2;
      const hy = boxY + alongside(down, boxHeight) - handle / 2;
      shape.push(Math.round(hx) - x0, Math.round(hy) - y0, Math.round(hx + handle) - x0, Math.round(hy + handle) - y0);
    }
    const key = shape.join();
    const seen = sprites.get(key) ?? 0;
    if (typeof seen === "number" && seen < 2) {
      sprites.set(key, seen + 1);
      paintBox(context, x0 - left, y0 - top, shape, scale);
      continue;
    }
    let sprite = seen;
    if (typeof sprite === "number") {
      sprite = new OffscreenCanvas(shape[0] + 2 * reach, shape[1] + 2 * reach);
      paintBox(sprite.getContext("2d"), reach, reach, shape, scale);
      sprites.set(key, sprite);
    }
    context.drawImage(sprite, x0 - left - reach, y0 - top - reach);
  }
}

// Paints one box as page.css draws it, its top left corner at x, y: the
// halo, the tint, the ring, then each handle, a white square in a border
// 1.5 px wide, which the browser draws whole device pixels wide.
function paintBox(context, x, y, shape, scale) {
  const [width, height] = shape;
  const px = (value) => Math.round(value * scale);
  const thin = Math.max(1, Math.floor(1.5 * scale));
  frame(context, x, y, x + width, y + height, px(BOX_REACH), "rgba(255, 255, 255, 0.8)");
  context.fillStyle = "rgba(27, 95, 224, 0.08)";
  context.fillRect(x, y, width, height);
  frame(context, x - px(2), y - px(2), x + width + px(2), y + height + px(2), px(2), "#1b5fe0");
  for (let i = 2; i < shape.length; i += 4) {
    const [h0, v0, h1, v1] = [x + shape[i], y + shape[i + 1], x + shape[i + 2], y + shape[i + 3]];
    context.fillStyle = "#1b5fe0";
    context.fillRect(h0, v0, h1 - h0, v1 - v0);
    context.fillStyle = "#fff";
    context.fillRect(h0 + thin, v0 + thin, h1 - h0 - 2 * thin, v1 - v0 - 2 * thin);
  }
}

// Where a handle's middle is along a side of `length`, as the grid aligns it.
function alongside(place, length) {
  if (place === "start") return 0;
  return place === "end" ? length : Math.trunc(length * 32) / 64;
}

// Fills the band `width` wide around the rectangle, outside it.
function frame(context, x0, y0, x1, y1, width, color) {
  context.fillStyle = color;
  context.beginPath();
  context.rect(x0 - width, y0 - width, x1 - x0 + 2 * width, y1 - y0 + 2 * width);
  context.rect(x0, y0, x1 - x0, y1 - y0);
  context.fill("evenodd");
}

// --- the part of a large drawing that is drawn
//
// The browser draws a scrolled drawing far beyond the view, so that a scroll
// finds it drawn; with 100,000 shapes each filled with a pattern of its own,
// that was most of the time a click on an arrow took to show. A drawing
// larger than the view is clipped to the view and a margin around it, and a
// scroll that brings the clip's edge into view moves the clip: what can be
// seen is the same.

const ARTWORK_MARGIN = 256;
// The artwork's shadow, outside its box, is never clipped.
const ARTWORK_SHADOW = 8;
let artworkKept = null;

function clipArtwork() {
  const host = $("artwork");
  const width = host.offsetWidth;
  const height = host.offsetHeight;
  const view = selectionInView();
  const kept = {
    left: Math.max(view.left - ARTWORK_MARGIN, 0), top: Math.max(view.top - ARTWORK_MARGIN, 0),
    right: Math.min(view.right + ARTWORK_MARGIN, width), bottom: Math.min(view.bottom + ARTWORK_MARGIN, height),
  };
  artworkKept = kept;
  if (kept.left === 0 && kept.top === 0 && kept.right === width && kept.bottom === height) {
    host.style.removeProperty("clip-path");
    return;
  }
  const inset = (amount) => (amount > 0 ? `${amount}px` : `${-ARTWORK_SHADOW}px`);
  host.style.setProperty("clip-path", `inset(${inset(kept.top)} ${inset(width - kept.right)} ` +
    `${inset(height - kept.bottom)} ${inset(kept.left)})`);
}

function scrollArtwork() {
  if (!artworkKept) return;
  const view = selectionInView();
  const host = $("artwork");
  const shown = { left: Math.max(view.left, 0), top: Math.max(view.top, 0),
    right: Math.min(view.right, host.offsetWidth), bottom: Math.min(view.bottom, host.offsetHeight) };
  if (shown.left < shown.right && shown.top < shown.bottom && !covers(artworkKept, shown)) clipArtwork();
}

// A scroll that brings into view what the canvas does not cover draws it again.
function scrollSelection() {
  if (!state) return;
  const picture = selectionPicture;
  if (!picture.boxes.length) {
    renderSelection(true);
    return;
  }
  const view = selectionInView();
  const wanted = { left: Math.max(view.left, picture.bounds.left), top: Math.max(view.top, picture.bounds.top),
    right: Math.min(view.right, picture.bounds.right), bottom: Math.min(view.bottom, picture.bounds.bottom) };
  if (wanted.left < wanted.right && wanted.top < wanted.bottom && !covers(picture.drawn, wanted)) {
    drawSelectionPicture();
  }
}

// The artwork's object under a point, or null. A stroke is hit within a few
// pixels of its outline, before whatever lies behind it: a thin or dashed
// line is hard to click exactly.
const HIT_SLOP = 4;

function artOf(node) {
  for (let element = node; element && element !== artworkView.root; element = element.parentNode) {
    if (element instanceof Element && element.hasAttribute("data-shunt-art")) return element;
  }
  return null;
}

// Where the shapes are, to find those near a click without asking the
// browser for the box of each shape of a large drawing (some 2 µs each):
// their boxes, from the artwork's origin and widened by the reach of a hit,
// on a grid of cells, each shape under its number in the drawing's order.
// Made when the page is idle, a little at a time, or at once when a click
// needs it before; made again after a change that may move a shape.
const SHAPES = "path, rect, circle, ellipse, line, polyline, polygon";
const SHAPE_CELL = 64;
// A shape over more cells than this is looked at for every click.
const SHAPE_CELLS_MOST = 64;
const HIT_REACH = HIT_SLOP + 8;
const shapeIndex = { shapes: null, cells: new Map(), large: [], next: 0, ready: false, waiting: false };

// Attributes that change how a shape is painted, never where it is.
const PAINT_ONLY = new Set(["fill", "fill-opacity", "stroke", "stroke-opacity", "stroke-dasharray",
  "stroke-dashoffset", "opacity", "color"]);
const mayMoveShape = (name) => !PAINT_ONLY.has(name);

function forgetShapes() {
  Object.assign(shapeIndex, { shapes: null, cells: new Map(), large: [], next: 0, ready: false });
  if (!shapeIndex.waiting && typeof requestIdleCallback === "function") {
    shapeIndex.waiting = true;
    requestIdleCallback(indexWhenIdle);
  }
}

function indexWhenIdle(deadline) {
  shapeIndex.waiting = false;
  if (!artworkView.root || shapeIndex.ready) return;
  indexShapes(() => deadline.timeRemaining() > 1);
  if (!shapeIndex.ready) {
    shapeIndex.waiting = true;
    requestIdleCallback(indexWhenIdle);
  }
}

const cellOf = (value) => Math.max(-32768, Math.min(32767, Math.floor(value / SHAPE_CELL)));
const cellKey = (column, row) => (row + 32768) * 65536 + column + 32768;

// Goes on with the index while `goOn()` holds, asked every hundred shapes.
function indexShapes(goOn = () => true) {
  const index = shapeIndex;
  index.shapes ??= [...artworkView.root.querySelectorAll(SHAPES)];
  const origin = $("artwork").getBoundingClientRect();
  while (index.next < index.shapes.length) {
    if (index.next % 100 === 0 && !goOn()) return;
    const order = index.next++;
    const box = index.shapes[order].getBoundingClientRect();
    const left = cellOf(box.left - origin.left - HIT_REACH);
    const right = cellOf(box.right - origin.left + HIT_REACH);
    const top = cellOf(box.top - origin.top - HIT_REACH);
    const bottom = cellOf(box.bottom - origin.top + HIT_REACH);
    if ((right - left + 1) * (bottom - top + 1) > SHAPE_CELLS_MOST) {
      index.large.push(order);
      continue;
    }
    for (let row = top; row <= bottom; row++) {
      for (let column = left; column <= right; column++) {
        const key = cellKey(column, row);
        const list = index.cells.get(key);
        if (list) list.push(order);
        else index.cells.set(key, [order]);
      }
    }
  }
  index.ready = true;
}

// The shapes whose boxes come within a hit's reach of a point, in the drawing's order.
function shapesNear(x, y) {
  if (!shapeIndex.ready) indexShapes();
  const origin = $("artwork").getBoundingClientRect();
  const key = cellKey(cellOf(x - origin.left), cellOf(y - origin.top));
  const orders = [...(shapeIndex.cells.get(key) ?? []), ...shapeIndex.large].sort((a, b) => a - b);
  return orders.map((order) => shapeIndex.shapes[order]);
}

function strokeNear(x, y) {
  if (!artworkView.root) return null;
  let best = null;
  let bestDistance = HIT_SLOP + 1;
  const point = artworkView.root.createSVGPoint();
  for (const element of shapesNear(x, y)) {
    const box = element.getBoundingClientRect();
    if (x < box.left - HIT_REACH || x > box.right + HIT_REACH || y < box.top - HIT_REACH ||
      y > box.bottom + HIT_REACH) continue;
    const art = artOf(element);
    if (!art || !element.isPointInStroke) continue;
    const style = getComputedStyle(element);
    if (style.stroke === "none" || style.visibility === "hidden" || style.display === "none") continue;
    const matrix = element.getScreenCTM();
    if (!matrix) continue;
    const scale = Math.hypot(matrix.a, matrix.b) || 1;
    const inverse = matrix.inverse();
    // Look at rings of points around the click, nearest first.
    for (let radius = 0; radius < bestDistance; radius += 1) {
      const steps = radius === 0 ? 1 : 16;
      let found = false;
      for (let i = 0; i < steps && !found; i++) {
        const angle = (2 * Math.PI * i) / steps;
        point.x = x + radius * Math.cos(angle);
        point.y = y + radius * Math.sin(angle);
        const local = point.matrixTransform(inverse);
        // Dashes leave gaps: the outline counts as a whole. The artwork's
        // own style attribute is put back as it was.
        // (Through the attribute: after a change through element.style,
        // removing the attribute leaves an empty one behind.)
        const saved = element.getAttribute("style");
        const width = parseFloat(style.strokeWidth) || 1;
        const hairline = width * scale < 1 ? `;stroke-width:${1 / scale}px` : "";
        element.setAttribute("style", `${saved ?? ""};stroke-dasharray:none${hairline}`);
        found = element.isPointInStroke(local);
        if (saved === null) element.removeAttribute("style");
        else element.setAttribute("style", saved);
      }
      if (found) {
        best = art;
        bestDistance = radius;
      }
    }
  }
  return best;
}

function artAt(event) {
  const near = strokeNear(event.clientX, event.clientY);
  if (near) return near;
  // Inside the shadow root the event's path holds the artwork's element.
  return event.composedPath().find((node) => node instanceof Element && node.hasAttribute("data-shunt-art")) ?? null;
}

$("canvas").addEventListener("mousedown", (event) => {
  // Shift-click extends the selection, not the browser's text selection.
  if (event.shiftKey) event.preventDefault();
  $("canvas").focus({ preventScroll: true });
});

$("canvas").addEventListener("click", (event) => {
  const hit = event.composedPath().includes($("artwork")) ? artAt(event) : null;
  if (hit) {
    call("/api/select", { ids: hit.getAttribute("data-shunt-art"), toggle: event.shiftKey ? "1" : "0" });
  } else if (!event.shiftKey && state.selection.length) {
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
  const height = `${model.bounds.bottom - model.bounds.top}px`;
  if (palette.style.height !== height) palette.style.height = height;
  const shape = JSON.stringify([model.items, model.bounds.right - model.bounds.left, model.visible]);
  if (shape !== paletteShape) {
    paletteShape = shape;
    layOutPalette(model);
  }
  if (!dragging) placePalette(model.bounds.top, model.bounds.left);
}

// The items at the host's places; the panel is widened where a label needs
// more room than the host gave it, so that every label is shown whole.
function layOutPalette(model) {
  const palette = $("palette");
  palette.style.width = `${model.bounds.right - model.bounds.left}px`;
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
  if (palette.hidden) return;
  let width = model.bounds.right - model.bounds.left;
  for (const child of children) {
    const button = child.matches("button") ? child : child.querySelector("button");
    width = Math.max(width, child.offsetLeft + button.offsetWidth + 4);
  }
  palette.style.width = `${width}px`;
}

function buttonOf(item) {
  const button = document.createElement("button");
  button.type = "button";
  button.dataset.item = String(item.id);
  button.title = wordsForItem(item.id)?.tip ?? (item.text || `Item ${item.id}`);
  if (item.picture) {
    const image = document.createElement("img");
    image.src = pictureUrl(item.picture);
    image.alt = item.text || `item ${item.id}`;
    button.append(image);
  } else {
    button.textContent = item.text || String(item.id);
  }
  button.addEventListener("click", (event) => clickItem(item.id, event));
  return button;
}

function popupOf(item) {
  const popup = document.createElement("div");
  popup.className = "popup";
  popup.dataset.item = String(item.id);
  const button = document.createElement("button");
  button.type = "button";
  button.className = "popup-button";
  button.textContent = item.text ? `${item.text} \u25BE` : "\u25BE";
  button.title = "Matrix: capture the selected object's pattern matrix, apply it to the selection, or show it";
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
      chooseEntry(index, event);
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

async function chooseEntry(index, event) {
  showMessage("");
  const count = state.selection.length;
  const answer = await call("/api/choose", { index, keys: keysOf(event) });
  if (!answer?.ok || index !== 0) return;
  if (count === 0) showMessage("Nothing selected: no matrix was captured");
  else if (count > 1) showMessage(`${count} objects selected: the matrix of the first one was captured`);
}

// Under the menu bar, with room for the palette's title bar above it.
const PALETTE_TOP = 24 + 16;

// Where the palette is shown for the host's place: inside the window and
// below the menu bar, so that its title bar can always be grabbed.
function shownPlace(top, left) {
  const palette = $("palette");
  const width = Math.max(palette.offsetWidth, $("palette-hint").offsetWidth);
  const height = palette.offsetHeight + $("palette-hint").offsetHeight;
  const bottom = window.innerHeight - $("status").offsetHeight;
  return {
    top: Math.max(PALETTE_TOP, Math.min(top, bottom - height)),
    left: Math.max(0, Math.min(left, window.innerWidth - width)),
  };
}

function placePalette(top, left) {
  const place = shownPlace(top, left);
  $("palette").style.top = `${place.top}px`;
  $("palette").style.left = `${place.left}px`;
  $("palette").dataset.bounds = `${place.top},${place.left}`;
  return place;
}

// Dragging by the title bar moves the panel on the page; the host hears of
// the new place when the button is let go, and keeps it in its dialog bounds.
let dragging = null;
$("palette-title").addEventListener("pointerdown", (event) => {
  const palette = $("palette");
  dragging = { x: event.clientX, y: event.clientY, top: palette.offsetTop, left: palette.offsetLeft };
  $("palette-title").setPointerCapture(event.pointerId);
});
$("palette-title").addEventListener("pointermove", (event) => {
  if (!dragging) return;
  placePalette(Math.round(dragging.top + event.clientY - dragging.y), Math.round(dragging.left + event.clientX - dragging.x));
});
$("palette-title").addEventListener("pointerup", async (event) => {
  if (!dragging) return;
  const moved = event.clientX !== dragging.x || event.clientY !== dragging.y;
  // The host keeps the place the person sees.
  const { top, left } = placePalette(Math.round(dragging.top + event.clientY - dragging.y),
    Math.round(dragging.left + event.clientX - dragging.x));
  dragging = null;
  if (moved) await call("/api/drag", { top, left });
  renderPalette();
});

// --- the menu bar

// Looked for where menus are, not in the whole page: with a large drawing
// selected, the selection's boxes are most of the page's elements.
function openMenus() {
  return [...$("host-menus").querySelectorAll(".menu.open"), ...$("palette-body").querySelectorAll(".popup.open")];
}

function closeMenus() {
  openMenu = null;
  for (const open of openMenus()) open.classList.remove("open");
}

document.addEventListener("click", (event) => {
  if (!event.target.closest(".menu, .popup")) closeMenus();
});

// The menus as last built. The bar is built again only when they change:
// laying out what did not change costs a walk over the whole page, large
// with every path of a large drawing selected.
let menusShown = "";

function renderMenus(force = false) {
  const shape = JSON.stringify(state.menus);
  if (!force && shape === menusShown) return;
  menusShown = shape;
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
        renderMenus(true);
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

let logShown = "";

function renderStatus() {
  const doc = state.document;
  setText($("document-name"), `${doc.name}${doc.unsaved ? " (unsaved changes)" : ""}`);
  $("document-name").dataset.unsaved = doc.unsaved ? "1" : "0";
  const title = `${doc.name} \u2014 Shunt Palette`;
  if (document.title !== title) document.title = title;
  $("undo").disabled = !state.undo;
  $("redo").disabled = !state.redo;
  if (doc.renderError) showMessage(`The artwork cannot be shown: ${doc.renderError}`);
  else if (doc.message && !$("message").textContent) showMessage(doc.message);
  else if (!doc.message && $("message").textContent.startsWith("Saved to ")) showMessage("");
  const shown = state.log.slice(-40);
  const shape = JSON.stringify(shown);
  if (shape === logShown) return;
  logShown = shape;
  $("log").replaceChildren(...shown.map((line) => {
    const item = document.createElement("li");
    item.textContent = line;
    return item;
  }));
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

// The arrow keys do what the palette's arrows do, `[` and `]` what its dash
// buttons do, with the modifiers setting the step as on the palette.
const KEY_ITEMS = { ArrowRight: 1, ArrowDown: 3, ArrowLeft: 5, ArrowUp: 7, BracketLeft: 9, BracketRight: 10 };

// The page has no text fields of its own; a button keeps the focus after a
// click, and the arrows still belong to the drawing then.
function drawingHasFocus() {
  return !document.activeElement?.closest("input, textarea, select, [contenteditable]");
}

document.addEventListener("keydown", (event) => {
  if (state?.modal) return;
  const command = event.ctrlKey || event.metaKey;
  const item = KEY_ITEMS[event.code];
  if (item && state?.palette && drawingHasFocus() && !openMenu) {
    event.preventDefault();
    clickItem(item, event);
  } else if (command && !event.shiftKey && event.key.toLowerCase() === "y") {
    event.preventDefault();
    call("/api/redo");
  } else if (command && event.key.toLowerCase() === "z") {
    event.preventDefault();
    call(event.shiftKey ? "/api/redo" : "/api/undo");
  } else if (command && event.key.toLowerCase() === "a") {
    event.preventDefault();
    call("/api/select", { ids: "all" });
  } else if (command && event.key.toLowerCase() === "s") {
    event.preventDefault();
    call("/api/save");
  } else if (event.key === "Escape") {
    // Escape closes an open menu; only with none open does it deselect.
    if (openMenu || openMenus().length) closeMenus();
    else call("/api/select", { ids: "" });
  }
});

window.addEventListener("resize", () => {
  forgetShapes();
  if (artworkKept) clipArtwork();
  if (!state) return;
  renderSelection(true);
  if (state.palette && !dragging) placePalette(state.palette.bounds.top, state.palette.bounds.left);
});
$("canvas").addEventListener("scroll", () => {
  scrollArtwork();
  scrollSelection();
});

poll();
