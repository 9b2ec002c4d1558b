// The page in Debian's chromium, served from one local origin under its
// content security policy: it lists the issues of examples/broken as the
// tool does, each at its place; makes no request to another origin; applies
// the safe fixes and offers the file that --fix writes; explains a member
// under the pointer; checks a bridges file of 5 MB. Saves a screenshot.
//   node page.mjs TOOL SOURCE_DIR WEB_DIR NODE_MODULES CHROMIUM WORK_DIR
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import path from 'node:path';

const [tool, source, web, modules, chromiumPath, work] = process.argv.slice(2).map((arg) => path.resolve(arg));
const { chromium } = createRequire(import.meta.url)(path.join(modules, 'playwright-core'));
const failures = [];

function check(condition, what, detail) {
  console.log(condition ? 'ok:' : 'FAIL:', what);
  if (!condition) {
    failures.push(what);
    if (detail !== undefined) console.log(detail);
  }
}

function run(args, cwd) {
  const done = spawnSync(tool, args, { cwd, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (done.status === null || done.status > 2) throw new Error(`${tool} ${args.join(' ')}: ${done.stderr}`);
  return done.stdout;
}

// The built page folder as a static host serves it.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css' };
const server = http.createServer((request, response) => {
  const file = path.join(web, path.normalize(new URL(request.url, 'http://x').pathname.replace(/^\/+/, '') || 'index.html'));
  if (!file.startsWith(web) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
const origin = `http://127.0.0.1:${server.address().port}`;

// A bridges file of about 5 MB: many groups, every thousandth id taken twice.
function bigBridges() {
  const groups = [];
  for (let i = 0; groups.length * 200 < 5 * 1024 * 1024; i++) {
    const address = `239.42.${(i >> 8) & 255}.${i & 255}`;
    groups.push({ id: `{group-${i % 1000 === 999 ? i - 1 : i}}`, type: 1, name: `Group ${i}`,
      rx: { address, port: 42000 + (i % 1000) }, tx: { address, port: 42000 + (i % 1000) } });
  }
  return JSON.stringify({ groups, bridges: [] }, null, 1);
}

const broken = path.join(source, 'examples', 'broken');
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work, { recursive: true });
const context = await chromium.launchPersistentContext(fs.mkdtempSync(path.join(work, 'chromium-')), {
  executablePath: chromiumPath,
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  viewport: { width: 1280, height: 900 },
  acceptDownloads: true,
});
try {
  const page = context.pages()[0] || await context.newPage();
  page.setDefaultTimeout(30000);
  const requests = [];
  const violations = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('console', (message) => { if (/Content.Security.Policy/i.test(message.text())) violations.push(message.text()); });
  await page.goto(`${origin}/index.html`);
  await page.waitForSelector('body[data-ready="true"]');
  // The policy is in force: a script written into the page does not run.
  const refused = await page.evaluate(() => new Promise((done) => {
    document.addEventListener('securitypolicyviolation', () => done(!window.inlineRan), { once: true });
    const script = document.createElement('script');
    script.textContent = 'window.inlineRan = true;';
    document.head.append(script);
    setTimeout(() => done(false), 5000);
  }));
  check(refused, 'the policy is in force: an inline script is refused');
  violations.length = 0;

  // examples/broken through the file pickers, as an operator opens them.
  await page.setInputFiles('#server-pick', path.join(broken, 'orvexbridged_conf.json'));
  await page.setInputFiles('#bridges-pick', path.join(broken, 'bridges.json'));
  const expected = run(['--server', 'orvexbridged_conf.json', '--bridges', 'bridges.json'], broken)
    .trim().split('\n').slice(0, -1);
  await page.waitForFunction((count) => document.querySelectorAll('#issues li').length === count, expected.length);
  const lines = await page.locator('#issues li').allTextContents();
  check(lines.length === 12, `examples/broken: ${lines.length} issues listed`);
  check(JSON.stringify(lines) === JSON.stringify(expected), 'each issue as the tool lists it, with its line:column',
    { page: lines, tool: expected });
  await page.screenshot({ path: path.join(work, 'web-page.png'), fullPage: true });

  // A click goes to the place; the member there is explained.
  const located = lines.findIndex((line) => /^bridges\.json:\d+:\d+: .*: \/groups\/\d+\/\w+/.test(line));
  const [, line, column] = lines[located].match(/^bridges\.json:(\d+):(\d+)/).map(Number);
  await page.locator('#issues li button').nth(located).click();
  const caret = await page.evaluate(() => {
    const area = document.getElementById('bridges-text');
    return { focused: document.activeElement === area, at: area.selectionStart, text: area.value };
  });
  const offset = caret.text.split('\n').slice(0, line - 1).join('\n').length + (line > 1 ? 1 : 0) + column - 1;
  check(caret.focused && caret.at === offset, `a click puts the cursor at ${line}:${column} of bridges.json`);
  check(/Title/.test(await page.locator('#member').textContent()), 'the member at that place is explained');

  // The pointer over a member's name, in another file: its documentation.
  await page.locator('#member').evaluate((box) => box.replaceChildren());
  const area = page.locator('#server-text');
  await area.evaluate((textarea) => { textarea.scrollTop = 0; textarea.scrollLeft = 0; });
  const serverText = await area.inputValue();
  const nameLine = serverText.split('\n').findIndex((l) => /^\s*"\w+"\s*:/.test(l));
  const indent = serverText.split('\n')[nameLine].search(/"/);
  const metrics = await area.evaluate((textarea) => {
    const style = getComputedStyle(textarea);
    const context2d = document.createElement('canvas').getContext('2d');
    context2d.font = style.font;
    return { lineHeight: parseFloat(style.lineHeight), padding: parseFloat(style.paddingTop),
      width: context2d.measureText('0').width };
  });
  await area.hover({ position: { x: metrics.padding + (indent + 2.5) * metrics.width,
    y: metrics.padding + (nameLine + 0.5) * metrics.lineHeight } });
  await page.waitForFunction(() => /Member/.test(document.getElementById('member').textContent));
  check(true, 'the pointer over a member shows its documentation');

  // The safe fixes: the file offered is the one --fix writes.
  const copy = path.join(work, 'fixed');
  fs.mkdirSync(copy);
  for (const name of ['orvexbridged_conf.json', 'bridges.json']) fs.copyFileSync(path.join(broken, name), path.join(copy, name));
  run(['--server', 'orvexbridged_conf.json', '--bridges', 'bridges.json', '--fix'], copy);
  await page.click('#fix');
  const links = page.locator('#downloads a');
  check(await links.count() > 0, `${await links.count()} fixed file(s) offered`);
  for (let i = 0; i < await links.count(); i++) {
    const [download] = await Promise.all([page.waitForEvent('download'), links.nth(i).click()]);
    const name = download.suggestedFilename();
    const got = fs.readFileSync(await download.path());
    check(Buffer.compare(got, fs.readFileSync(path.join(copy, name))) === 0, `${name}: the fixed file as --fix writes it`);
  }

  // --strict: a member no schema names is warned about, as the tool warns.
  const serverPath = path.join(copy, 'orvexbridged_conf.json');
  const misspelt = fs.readFileSync(serverPath, 'utf8').replace('{', '{\n  "listenAdress": 1,');
  fs.writeFileSync(serverPath, misspelt);
  await page.fill('#server-text', misspelt);
  await page.check('#strict');
  const pair = ['--server', 'orvexbridged_conf.json', '--bridges', 'bridges.json'];
  const strictLines = run([...pair, '--strict'], copy).trim().split('\n').slice(0, -1);
  const plainCount = run(pair, copy).trim().split('\n').length - 1;
  await page.waitForFunction((count) => document.querySelectorAll('#issues li').length === count, strictLines.length)
    .catch(() => {});
  const strictShown = await page.locator('#issues li').allTextContents();
  check(JSON.stringify(strictShown) === JSON.stringify(strictLines) && strictLines.length > plainCount,
    `--strict: ${strictLines.length} issues as the tool lists them, ${plainCount} without`, strictShown);
  await page.uncheck('#strict');

  // A bridges file of 5 MB.
  const big = bigBridges();
  const bigFile = path.join(work, 'bridges.json');
  fs.writeFileSync(bigFile, big);
  // Beside the server file as the page holds it now: fixed.
  fs.copyFileSync(path.join(copy, 'orvexbridged_conf.json'), path.join(work, 'orvexbridged_conf.json'));
  const bigExpected = JSON.parse(run(['--server', 'orvexbridged_conf.json', '--bridges', 'bridges.json', '--format', 'json'], work)).summary;
  const started = Date.now();
  await page.setInputFiles('#bridges-pick', bigFile);
  const summary = `${bigExpected.files} files checked: ${bigExpected.errors} error`;
  await page.waitForFunction((text) => document.getElementById('summary').textContent.startsWith(text), summary);
  check(true, `a ${(big.length / 1048576).toFixed(1)} MB bridges file checked in ${Date.now() - started} ms: ` +
    `${bigExpected.errors} errors, ${bigExpected.warnings} warnings, as the tool counts them`);

  const foreign = requests.filter((url) => !url.startsWith(`${origin}/`) && !/^(blob|data):/.test(url));
  check(foreign.length === 0, `${requests.length} requests, none to another origin`, foreign);
  check(violations.length === 0, 'nothing of the page is refused by its policy', violations);
} finally {
  await context.close();
  server.close();
}
console.log(failures.length === 0 ? 'all passed' : `${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);
