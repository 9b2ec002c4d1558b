// The WebAssembly module in Node against the native tool: for every example
// deployment and every input of the tool's tests, the module's JSON report
// must be the tool's `--format json` byte for byte, its fixed texts the
// files that `--fix` writes, and its schema list and code explanations the
// tool's.
//   node parity.mjs TOOL SOURCE_DIR NPM_DIR WORK_DIR
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [tool, source, npmDir, work] = process.argv.slice(2).map((arg) => path.resolve(arg));
const { createChecker } = await import(pathToFileURL(path.join(npmDir, 'index.mjs')).href);
const checker = await createChecker();
const failures = [];

function check(condition, what, detail) {
  console.log(condition ? 'ok:' : 'FAIL:', what);
  if (!condition) {
    failures.push(what);
    if (detail !== undefined) console.log(detail);
  }
}

// The tool's answer whatever its exit status (1 and 2 mean issues found).
function run(args, cwd = source) {
  const done = spawnSync(tool, args, { cwd, encoding: 'utf8', maxBuffer: 1 << 28 });
  if (done.status === null || done.status > 2) throw new Error(`${tool} ${args.join(' ')}: ${done.stderr}`);
  return done.stdout;
}

const read = (file) => fs.readFileSync(path.join(source, file));
const strict = [[], ['--strict']];

// Every example deployment (a folder with a server file and its bridges
// file), as a pair.
const pairs = [];
for (const example of fs.readdirSync(path.join(source, 'examples'))) {
  for (const dir of [`examples/${example}`, `examples/${example}/conf`]) {
    const server = `${dir}/orvexbridged_conf.json`;
    const bridges = `${dir}/bridges.json`;
    if (fs.existsSync(path.join(source, server)) && fs.existsSync(path.join(source, bridges))) {
      pairs.push([server, bridges]);
    }
  }
}
pairs.push(['tests/tool/inputs/fixes/orvexbridged_conf.json', 'tests/tool/inputs/fixes/bridges.json']);
check(pairs.length >= 3, `${pairs.length} pairs found`);
for (const [server, bridges] of pairs) {
  for (const flags of strict) {
    const expected = run(['--server', server, '--bridges', bridges, '--format', 'json', ...flags]);
    const got = checker.checkPairJson(server, read(server), bridges, read(bridges), { strict: flags.length > 0 });
    check(got === expected, `pair ${server} ${flags.join(' ')}: the tool's JSON report`, got);
  }
}

// Every single-file input of the tool's tests and the self-check fixtures,
// under each schema a file of the deployment is checked with.
const singles = [];
for (const dir of ['tests/tool/inputs', 'tests/selfcheck/fixtures', 'tests/tool/inputs/bom']) {
  if (!fs.existsSync(path.join(source, dir))) continue;
  for (const name of fs.readdirSync(path.join(source, dir)).sort()) {
    if (name.endsWith('.json')) singles.push(`${dir}/${name}`);
  }
}
check(singles.length >= 20, `${singles.length} single files found`);
for (const file of singles) {
  for (const schema of ['BridgingServerConfiguration', 'BridgingConfiguration', 'Group']) {
    const expected = run(['--schema', schema, '--format', 'json', file]);
    const got = checker.checkJson(schema, file, read(file));
    check(got === expected, `${file} as ${schema}: the tool's JSON report`, got);
  }
}

// --max-issues bounds the list and counts the rest, in both.
{
  const file = 'examples/broken/bridges.json';
  const expected = run(['--schema', 'BridgingConfiguration', '--max-issues', '2', '--format', 'json', file]);
  check(checker.checkJson('BridgingConfiguration', file, read(file), { maxIssues: 2 }) === expected,
    'at most 2 issues listed, the others counted');
}

// The safe fixes: what `--fix` writes over copies of the files.
fs.rmSync(work, { recursive: true, force: true });
for (const [index, [server, bridges]] of pairs.entries()) {
  const dir = path.join(work, `fix-${index}`);
  fs.mkdirSync(dir, { recursive: true });
  fs.copyFileSync(path.join(source, server), path.join(dir, 'orvexbridged_conf.json'));
  fs.copyFileSync(path.join(source, bridges), path.join(dir, 'bridges.json'));
  run(['--server', 'orvexbridged_conf.json', '--bridges', 'bridges.json', '--fix'], dir);
  const [fixedServer, fixedBridges] = checker.fixPair(read(server), read(bridges));
  const same = (got, file) => Buffer.compare(Buffer.from(got.text), fs.readFileSync(path.join(dir, file))) === 0;
  check(same(fixedServer, 'orvexbridged_conf.json') && same(fixedBridges, 'bridges.json'),
    `${server}: the safe fixes as --fix makes them (${fixedServer.applied} + ${fixedBridges.applied})`);
}

// The schema ids and the codes' explanations.
check(JSON.stringify(checker.schemas()) === JSON.stringify(run(['--list-schemas']).trim().split('\n')),
  'the schema ids as --list-schemas lists them');
for (const code of ['duplicate_group_id', 'schema', 'parse_error']) {
  const info = checker.explain(code);
  const text = execFileSync(tool, ['--explain', code], { encoding: 'utf8' });
  const words = (s) => s.split(/\s+/).filter(Boolean).join(' ');
  check(info !== null && text.startsWith(`${code} (${info.severity === 'info' ? 'note' : info.severity})`) &&
    [info.summary, info.explanation, info.impact, info.fix].every((part) => words(text).includes(words(part))),
    `--explain ${code}: the same code, severity and texts`);
}
check(checker.explain('no_such_code') === null, 'an unknown code has no explanation');

// Hostile input does not end the module: a text that is not JSON, a NUL, a
// nesting far deeper than any configuration.
for (const [what, text] of [['not JSON', '{"a": '], ['NUL', '\0'], ['deep', '['.repeat(200000)]]) {
  const report = checker.check('BridgingConfiguration', 'x.json', text);
  check(report.files[0].issues.length > 0 && !report.files[0].ok, `${what}: reported, not thrown`);
}

console.log(failures.length === 0 ? 'all passed' : `${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);
