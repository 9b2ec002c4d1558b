// The page: the module checks the texts in the browser; nothing leaves it.
import createOrvexModule from './orvex-config-validate.mjs';
import wasmBase64 from './orvex-config-validate-wasm.mjs';
import { Checker } from './orvex.mjs';

const $ = (id) => document.getElementById(id);
const encoder = new TextEncoder();
const decoder = new TextDecoder();
const files = [
  { area: $('server-text'), pick: $('server-pick'), schema: 'BridgingServerConfiguration' },
  { area: $('bridges-text'), pick: $('bridges-pick'), schema: 'BridgingConfiguration' },
];
let checker = null;
let report = null;
let shown = []; // the report's file index -> index into `files`
// A browser takes seconds to lay out a text area of some MB: a larger file
// is checked and fixed as read, without being shown for editing.
const LARGE = 1 << 20;

for (const file of files) {
  file.name = file.area.dataset.name;
  file.area.dataset.placeholder = file.area.placeholder;
  file.large = false;
  file.bytes = null; // the text's UTF-8, made again after each change
}

function bytesOf(file) {
  file.bytes ??= encoder.encode(file.area.value);
  return file.bytes;
}

function setBytes(file, bytes, name) {
  if (name) file.name = name;
  file.large = bytes.length > LARGE;
  file.area.readOnly = file.large;
  file.area.value = file.large ? '' : decoder.decode(bytes);
  file.bytes = file.large ? bytes : null;
  file.area.placeholder = file.large
    ? `${file.name}: ${(bytes.length / 1048576).toFixed(1)} MB, checked as read; too large to edit here`
    : file.area.dataset.placeholder;
}

const given = (file) => file.large || file.area.value.trim() !== '';

function options() {
  return { strict: $('strict').checked };
}

// Both texts are judged together; one alone under its own schema.
function check() {
  const [server, bridges] = files;
  const present = files.filter(given);
  $('downloads').replaceChildren();
  if (present.length === 0) {
    report = null;
    shown = [];
    renderIssues();
    return;
  }
  if (present.length === 2) {
    report = checker.checkPair(server.name, bytesOf(server), bridges.name, bytesOf(bridges), options());
    shown = [0, 1];
  } else {
    const only = present[0];
    report = checker.check(only.schema, only.name, bytesOf(only), options());
    shown = [files.indexOf(only)];
  }
  renderIssues();
}

function renderIssues() {
  const list = $('issues');
  list.replaceChildren();
  if (!report) {
    $('summary').textContent = 'Paste or drop a server file and its bridges file.';
    return;
  }
  report.files.forEach((entry, index) => {
    for (const issue of entry.issues) list.append(issueItem(entry, index, issue));
  });
  const s = report.summary;
  const plural = (n, word) => `${n} ${word}${n === 1 ? '' : 's'}`;
  $('summary').textContent = `${plural(s.files, 'file')} checked: ${plural(s.errors, 'error')}, ` +
    `${plural(s.warnings, 'warning')}, ${plural(s.info, 'note')}` +
    (s.notShown ? `; ${plural(s.notShown, 'issue')} not shown` : '');
}

// As the tool writes a line: FILE:LINE:COLUMN: SEVERITY: PATH: MESSAGE [CODE].
function issueItem(entry, index, issue) {
  const item = document.createElement('li');
  item.className = issue.severity;
  const button = document.createElement('button');
  button.type = 'button';
  const where = document.createElement('span');
  where.className = 'where';
  where.textContent = entry.file + (issue.line ? `:${issue.line}:${issue.column}` : '') + ': ';
  const severity = document.createElement('span');
  severity.className = 'sev';
  severity.textContent = (issue.severity === 'info' ? 'note' : issue.severity) + ': ';
  const path = issue.path && issue.path !== '/' ? `${issue.path}: ` : '';
  const hint = issue.hint ? ` (${issue.hint})` : '';
  const code = document.createElement('span');
  code.className = 'code';
  code.textContent = ` [${issue.code}]`;
  button.append(where, severity, path + issue.message + hint, code);
  if (issue.line) button.addEventListener('click', () => goTo(files[shown[index]], issue.line, issue.column));
  item.append(button);
  return item;
}

// Line and byte column (as the report counts them) to a character offset.
function offsetOf(text, line, column) {
  let at = 0;
  for (let l = 1; l < line; l++) {
    const next = text.indexOf('\n', at);
    if (next < 0) break;
    at = next + 1;
  }
  for (let bytes = 1; bytes < column && at < text.length; ) {
    const point = text.codePointAt(at);
    bytes += point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
    at += point > 0xffff ? 2 : 1;
  }
  return at;
}

function goTo(file, line, column) {
  const area = file.area;
  if (file.large) return;
  const at = offsetOf(area.value, line, column);
  area.focus();
  area.setSelectionRange(at, at);
  const lineHeight = parseFloat(getComputedStyle(area).lineHeight);
  area.scrollTop = Math.max(0, (line - 1) * lineHeight - area.clientHeight / 3);
  showMember(file, at);
}

// The member under the pointer: the textarea does not wrap and its font is
// monospace, so a place is its line and its column of characters.
let charWidth = 0;
function placeAt(area, event) {
  const style = getComputedStyle(area);
  if (!charWidth) {
    const context = document.createElement('canvas').getContext('2d');
    context.font = style.font;
    charWidth = context.measureText('0'.repeat(100)).width / 100;
  }
  const line = Math.floor((event.offsetY + area.scrollTop - parseFloat(style.paddingTop)) /
    parseFloat(style.lineHeight));
  const column = Math.floor((event.offsetX + area.scrollLeft - parseFloat(style.paddingLeft)) / charWidth);
  const text = area.value;
  let at = 0;
  for (let l = 0; l < line; l++) {
    at = text.indexOf('\n', at) + 1;
    if (at === 0) return -1;
  }
  const end = text.indexOf('\n', at);
  return column < (end < 0 ? text.length : end) - at ? at + column : -1;
}

function showMember(file, at) {
  const box = $('member');
  if (at < 0 || !checker || file.large) return;
  const byteOffset = encoder.encode(file.area.value.slice(0, at)).length;
  const member = checker.memberAt(file.schema, bytesOf(file), byteOffset);
  if (!member) return;
  const list = document.createElement('dl');
  const add = (term, value) => {
    if (!value) return;
    const dt = document.createElement('dt');
    dt.textContent = term;
    const dd = document.createElement('dd');
    dd.textContent = value;
    list.append(dt, dd);
  };
  add('Member', member.pointer);
  add('Title', member.title);
  add('What it does', member.description);
  add('Type', member.type + (member.required ? ', required' : ''));
  add('Unit', member.unit);
  add('Range', member.range);
  add('When missing', member.whenMissing);
  add('Values', member.enumerators.map((e) => `${e.value}${e.name ? ` ${e.name}` : ''}`).join(', '));
  box.replaceChildren(list);
}

function fix() {
  const checked = shown.map((i) => files[i]);
  if (checked.length === 0) return;
  const fixed = checked.length === 2
    ? checker.fixPair(bytesOf(checked[0]), bytesOf(checked[1]), options())
    : checker.fix(checked[0].schema, bytesOf(checked[0]), options());
  const links = [];
  fixed.forEach((result, k) => {
    if (result.applied === 0) return;
    const file = checked[k];
    setBytes(file, result.text);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([result.text], { type: 'application/json' }));
    link.download = file.name.split('/').pop();
    link.textContent = `Download ${file.name} (${result.applied} ${result.applied === 1 ? 'fix' : 'fixes'})`;
    links.push(link);
  });
  check();
  if (links.length === 0) links.push('No safe fix to apply.');
  $('downloads').replaceChildren(...links);
}

// A file goes where its name says: a bridges file, or else the server file.
async function load(list, target) {
  for (const file of list) {
    const into = list.length > 1 ? files[/bridges/i.test(file.name) ? 1 : 0] : target;
    setBytes(into, new Uint8Array(await file.arrayBuffer()), file.webkitRelativePath || file.name);
  }
  check();
}

// The JSON files of a dropped folder and its subfolders.
async function folderFiles(entry, out = []) {
  const reader = entry.createReader();
  for (let batch; (batch = await new Promise((ok, fail) => reader.readEntries(ok, fail))).length; ) {
    for (const child of batch) {
      if (child.isDirectory) await folderFiles(child, out);
      else if (child.name.endsWith('.json')) out.push(await new Promise((ok, fail) => child.file(ok, fail)));
    }
  }
  return out;
}

async function dropped(event, target) {
  const list = [];
  for (const item of event.dataTransfer.items) {
    const entry = item.webkitGetAsEntry?.();
    if (entry?.isDirectory) list.push(...(await folderFiles(entry)));
    else if (item.kind === 'file') list.push(item.getAsFile());
  }
  await load(list, target);
}

for (const file of files) {
  const area = file.area;
  area.addEventListener('input', () => { file.bytes = null; });
  area.addEventListener('dragover', (e) => { e.preventDefault(); area.classList.add('over'); });
  area.addEventListener('dragleave', () => area.classList.remove('over'));
  area.addEventListener('drop', (e) => {
    e.preventDefault();
    area.classList.remove('over');
    dropped(e, file);
  });
  file.pick.addEventListener('change', () => load([...file.pick.files], file));
  let pending = 0;
  area.addEventListener('mousemove', (e) => {
    clearTimeout(pending);
    pending = setTimeout(() => showMember(file, placeAt(area, e)), 150);
  });
  for (const name of ['keyup', 'click']) {
    area.addEventListener(name, () => showMember(file, area.selectionStart));
  }
}
$('form').addEventListener('submit', (e) => { e.preventDefault(); check(); });
$('strict').addEventListener('change', check);
$('fix').addEventListener('click', fix);

const wasmBinary = Uint8Array.from(atob(wasmBase64), (c) => c.charCodeAt(0));
checker = new Checker(await createOrvexModule({ wasmBinary }));
document.body.dataset.ready = 'true';
check();
