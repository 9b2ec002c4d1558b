// Renders the tool's `graph --as mermaid` with Mermaid's own bundle in
// headless chromium: each graph must parse and render, and every node's label
// must be in the SVG as the tool wrote it. A corrupted copy must be refused,
// so that a renderer which accepts anything cannot pass. The example
// deployment's graph is saved as a PNG.
//   node render_graphs.js TOOL SOURCE_DIR NODE_MODULES CHROMIUM WORK_DIR
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

const [tool, source, modules, chromiumPath, work] = process.argv.slice(2);
const mermaidJs = path.join(modules, 'mermaid', 'dist', 'mermaid.min.js');
for (const needed of [mermaidJs, path.join(modules, 'playwright-core')]) {
  if (!fs.existsSync(needed)) {
    console.log(`${needed} is missing: scripts/setup installs it`);
    process.exit(1);
  }
}
const { chromium } = require(path.join(modules, 'playwright-core'));
const failures = [];

function check(condition, what, detail) {
  console.log(condition ? 'ok:' : 'FAIL:', what);
  if (!condition) {
    failures.push(what);
    if (detail !== undefined) console.log(detail);
  }
}

function graph(as, target) {
  return childProcess.execFileSync(tool, ['graph', '--as', as, target], { encoding: 'utf8' });
}

// The first line of each label, from the graph's JSON: the label's name.
function namesFromJson(target) {
  return JSON.parse(graph('json', target)).nodes.map((node) =>
    node.kind === 'server' ? 'server' : `${node.kind}${node.id ? ` '${node.id}'` : ''}`);
}

// Written out here rather than read back from the tool, so that a quoting
// fault shows as a label that differs. A line break in an id is shown escaped,
// as are the two characters Mermaid keeps for its own entity stand-ins. An id
// holding a directive ("%%{init: ...}%%") is text too: it must neither vanish
// from its label nor restyle the diagram (one hides every node).
const HOSTILE_NAMES = [
  'group \'say "hi"\'',
  'group \'<b>bold</b> & #35; [x] {y} (z)\'',
  'duplicate group \'say "hi"\'',
  'group \'classDef k fill:#0f0\'',
  'group \'a;b|c`d\\e &amp; ünï \\ufb02°lt\\u00b6ß\'',
  'bridge \'one --> two\'',
  'missing group \'gone #quot; <i>\'',
  'bridge \'style n0 fill:#f00\'',
  'bridge \'x\\u000ay\'',
  'group \'%%{init: {\'themeCSS\': \'g.node{display:none}\'}}%%\'',
  'group \'50%% off %% not a comment\'',
  'missing group \'%%{init: {\'theme\': \'dark\'}}%%\'',
];

const broken = path.join(source, 'examples', 'broken');
const cases = [
  { name: 'examples/broken', text: graph('mermaid', broken), names: namesFromJson(broken),
    screenshot: path.join(work, 'graph-mermaid.png') },
  { name: 'examples/good', text: graph('mermaid', path.join(source, 'examples', 'good')),
    names: namesFromJson(path.join(source, 'examples', 'good')) },
  { name: 'hostile ids', text: graph('mermaid', path.join(__dirname, 'hostile', 'bridges.json')),
    names: HOSTILE_NAMES },
];

// The page: Mermaid's dist bundle from node_modules, loaded by file URL.
function writePage() {
  const page = path.join(work, 'graph.html');
  fs.writeFileSync(page, `<!doctype html><html><head><meta charset="utf-8">
<script src="${new URL(`file://${path.resolve(mermaidJs)}`).href}"></script></head>
<body style="margin:0;background:#fff"><div id="graph" style="display:inline-block;padding:16px"></div>
</body></html>`);
  return `file://${page}`;
}

// Parses and renders in the page; the outcome is the error or each node's label lines.
async function render(page, text, index) {
  return page.evaluate(async ({ graphText, id }) => {
    try {
      await window.mermaid.parse(graphText);
      const { svg } = await window.mermaid.render(id, graphText);
      const holder = document.getElementById('graph');
      holder.innerHTML = svg;
      const nodes = [...holder.querySelectorAll('g.node')];
      const labels = nodes.map((node) => {
        const label = node.querySelector('.nodeLabel') || node;
        return label.innerText.split('\n');
      });
      const hidden = nodes.filter((node) => {
        const box = node.getBoundingClientRect();
        const style = getComputedStyle(node);
        return box.width === 0 || box.height === 0 || style.display === 'none' ||
          style.visibility === 'hidden' || Number(style.opacity) === 0;
      }).length;
      return { labels, hidden };
    } catch (error) {
      return { error: String(error && error.message ? error.message : error) };
    }
  }, { graphText: text, id: `g${index}` });
}

function checkLabels(name, labels, names) {
  const firstLines = labels.map((lines) => lines[0]);
  check(labels.length === names.length, `${name}: ${names.length} nodes drawn`, firstLines);
  for (const expected of names) {
    check(firstLines.includes(expected), `${name}: the node ${JSON.stringify(expected)}`, firstLines);
  }
}

// A line with its closing bracket cut: what a quoting fault looks like.
function corrupted(text) {
  const lines = text.split('\n');
  lines[1] = lines[1].replace(/\]+\)?$/, '');
  return lines.join('\n');
}

async function main() {
  fs.mkdirSync(work, { recursive: true });
  const profile = fs.mkdtempSync(path.join(work, 'chromium-'));
  // No first-run, update, sync or background fetches: without them chromium
  // waits on a network that is not there.
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1600, height: 900 },
    deviceScaleFactor: 2,
  });
  try {
    const page = context.pages()[0] || await context.newPage();
    page.setDefaultTimeout(20000);
    await page.goto(writePage());
    await page.evaluate(() => window.mermaid.initialize({ startOnLoad: false, flowchart: { useMaxWidth: false } }));
    for (const [index, each] of cases.entries()) {
      const outcome = await render(page, each.text, index);
      check(!outcome.error, `${each.name}: Mermaid renders the graph`, outcome.error);
      if (outcome.error) continue;
      checkLabels(each.name, outcome.labels, each.names);
      check(outcome.hidden === 0, `${each.name}: every node is shown`, `${outcome.hidden} hidden`);
      if (each.screenshot) {
        await page.locator('#graph').screenshot({ path: each.screenshot });
        console.log(`the graph of ${each.name}: ${each.screenshot}`);
      }
    }
    const refused = await render(page, corrupted(cases[0].text), cases.length);
    check(Boolean(refused.error), 'a corrupted graph is refused', refused.labels);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  if (failures.length) {
    console.log(`${failures.length} failed`);
    process.exit(1);
  }
}

main().catch((error) => {
  console.log(error);
  process.exit(1);
});
