// Drives a real VS Code (code-server) in headless chromium: the Problems
// panel holds the tool's issues, a quick fix and a rename change the file,
// and a screenshot is taken.
//   node vscode_session.js URL FOLDER ERRORS,WARNINGS,NOTES SCREENSHOT
'use strict';
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const [url, folder, expectedText, screenshot] = process.argv.slice(2);
const expected = expectedText;
const counts = expected.split(',').map(Number);
const fewer = [counts[0], counts[1], counts[2] - 1].join(',');
const bridges = path.join(folder, 'bridges.json');
const failures = [];
let lastPage;
const QUICK_INPUT = '.quick-input-widget input.input';

function check(condition, what) {
  if (!condition) {
    failures.push(what);
    console.log('FAIL:', what);
  } else {
    console.log('ok:', what);
  }
}

async function until(what, probe, seconds = 60) {
  const end = Date.now() + seconds * 1000;
  let last;
  while (Date.now() < end) {
    last = await probe();
    if (last) return last;
    await new Promise((resolve) => setTimeout(resolve, 250));
  }
  throw new Error(`timed out waiting for ${what} (last: ${JSON.stringify(last)})`);
}

async function command(page, name) {
  await page.keyboard.press('F1');
  await page.locator(QUICK_INPUT).fill('>' + name);
  await page.waitForTimeout(300);
  await page.keyboard.press('Enter');
}

async function openFile(page, name) {
  // A double click in the explorer opens the file in a tab of its own.
  await page.locator('.explorer-folders-view .monaco-list-row').filter({ hasText: name }).first()
    .dblclick();
  await page.locator('.tabs-container .tab').filter({ hasText: name }).first().waitFor();
}

async function goTo(page, line, column) {
  await page.keyboard.press('Control+G');
  // Go to Line is the quick input with ":" in front.
  await page.locator(QUICK_INPUT).fill(`:${line}:${column}`);
  await page.keyboard.press('Enter');
  await page.waitForTimeout(300);
}

// The counts of the status bar: errors, warnings, infos.
async function problemCounts(page) {
  const text = await page.locator('[id="status.problems"]').first().innerText();
  return (text.match(/\d+/g) || []).join(',');
}

// Chooses an entry of the open code action menu by the keyboard (a pointer
// block covers the menu until the mouse moves).
async function pickAction(page, text) {
  const actions = page.locator(
    '.action-widget .monaco-list-row:not(.group-header):not(.separator)',
  );
  // The menu may open before the server's answer is in; asked again then.
  await until(`the code action '${text}'`, async () => {
    await page.keyboard.press('Control+.');
    const shown = await actions.filter({ hasText: text }).first()
      .waitFor({ timeout: 3000 }).then(() => true, () => false);
    if (!shown) await page.keyboard.press('Escape');
    return shown;
  });
  const titles = await actions.allInnerTexts();
  console.log('code actions:', JSON.stringify(titles));
  const index = titles.findIndex((title) => title.includes(text));
  for (let i = 0; i < index; ++i) await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
}

async function main() {
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  const page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  lastPage = page;
  page.setDefaultTimeout(60000);
  await page.goto(`${url}/?folder=${encodeURIComponent(folder)}`);
  await page.locator('.monaco-workbench').waitFor();
  await page.locator('.explorer-folders-view, .explorer-viewlet').first().waitFor();

  await openFile(page, 'orvexbridged_conf.json');
  await openFile(page, 'bridges.json');
  await page.keyboard.press('Control+Shift+M');
  await page.locator('.markers-panel').waitFor();
  const shown = await until(`problems ${expected}`, async () => {
    const seen = await problemCounts(page);
    return seen === expected ? seen : false;
  }, 90).catch(async () => problemCounts(page));
  check(shown === expected, `errors, warnings, notes as the tool's: ${expected} (saw ${shown})`);
  const badge = await page.locator('.part.panel .composite-bar .badge-content').first().innerText();
  const total = counts.reduce((a, b) => a + b, 0);
  check(Number(badge) === total, `the Problems panel counts ${total} (saw ${badge})`);

  // The note on the group {field-crews}: its quick fix writes the output
  // mode the server mode forces.
  await goTo(page, 12, 5);
  await pickAction(page, 'output mode bomMixedStream');
  await page.keyboard.press('Control+S');
  const fixed = await until('the quick fix on disk', async () => {
    const text = fs.readFileSync(bridges, 'utf8');
    return text.includes('"name": "Field crews",\n      "bridgeTargetOutputDetail": { "mode": 2 }')
      ? text
      : false;
  }).catch(() => '');
  check(fixed !== '', 'the quick fix writes output mode 2 into the group');
  const after = await until(`problems ${fewer}`, async () => {
    const seen = await problemCounts(page);
    return seen === fewer ? seen : false;
  }).catch(async () => problemCounts(page));
  check(after === fewer, `one note less after the fix: ${fewer} (saw ${after})`);

  // Rename a group id: its definition and the bridge naming it.
  await goTo(page, 23, 16);
  await page.keyboard.press('F2');
  const rename = page.locator('.rename-box input, .rename-input');
  await rename.first().waitFor();
  await rename.first().fill('{vhf-patch}');
  await page.keyboard.press('Enter');
  await page.waitForTimeout(500);
  await page.keyboard.press('Control+S');
  const renamed = await until('the rename on disk', async () => {
    const text = fs.readFileSync(bridges, 'utf8');
    return (text.match(/\{vhf-patch\}/g) || []).length === 2 && !text.includes('{vhf-gateway}');
  }).catch(() => false);
  check(renamed, 'the rename rewrites the group id and the bridge naming it');

  // The documentation of a member, for the picture.
  await goTo(page, 66, 10);
  await command(page, 'Show or Focus Hover');
  await page.locator('.monaco-hover-content').filter({ hasText: 'Loss grace time' }).first()
    .waitFor({ timeout: 20000 })
    .then(() => check(true, 'hover documents lossGraceMs'))
    .catch(() => check(false, 'hover documents lossGraceMs'));
  await page.screenshot({ path: screenshot });
  await browser.close();
}

main().then(
  () => {
    if (failures.length) {
      console.log(`${failures.length} check(s) failed`);
      process.exit(1);
    }
    console.log('all checks passed');
  },
  async (error) => {
    console.log('FAIL:', error.stack || error);
    // What the page showed when it went wrong.
    if (lastPage) await lastPage.screenshot({ path: screenshot }).catch(() => undefined);
    process.exit(1);
  },
);
