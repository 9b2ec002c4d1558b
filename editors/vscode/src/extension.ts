// Starts `orvex-config-validate --lsp` for the bridging server's configuration
// files. Everything the editor shows comes from that server; this only
// chooses the files, passes the settings, and restarts it when they change.
import * as path from 'path';
import * as vscode from 'vscode';
import {
  DocumentSelector,
  LanguageClient,
  LanguageClientOptions,
  ServerOptions,
} from 'vscode-languageclient/node';

const SECTION = 'orvexConfigValidate';
// The project file is checked against its own schema, and the site rules it
// holds run on the configuration files below it.
const ALWAYS = ['bridges.json', 'orvexbridged_conf.json', 'orvex-project.json'];

let client: LanguageClient | undefined;

function isGlob(pattern: string): boolean {
  return /[*?[{]/.test(pattern);
}

// A file name matches in any folder; a path or pattern is taken as written.
function selectorPattern(pattern: string): string {
  return pattern.includes('/') ? pattern : `**/${pattern}`;
}

function firstFolder(): string | undefined {
  return vscode.workspace.workspaceFolders?.[0]?.uri.fsPath;
}

function schemaDirectory(configured: string): string {
  const folder = firstFolder();
  if (configured === '' || path.isAbsolute(configured) || folder === undefined) {
    return configured;
  }
  return path.join(folder, configured);
}

// The server's "schemas" option takes names, paths and URIs; the files a
// glob matches now are handed over by URI.
async function schemaMap(files: Record<string, string>): Promise<Record<string, string>> {
  const schemas: Record<string, string> = {};
  for (const [pattern, schemaId] of Object.entries(files)) {
    if (!isGlob(pattern)) {
      schemas[pattern] = schemaId;
      continue;
    }
    const found = await vscode.workspace.findFiles(selectorPattern(pattern), '**/node_modules/**');
    for (const uri of found) schemas[uri.toString()] = schemaId;
  }
  return schemas;
}

async function start(output: vscode.OutputChannel): Promise<void> {
  const settings = vscode.workspace.getConfiguration(SECTION);
  const program = settings.get<string>('path', 'orvex-config-validate') || 'orvex-config-validate';
  const files = settings.get<Record<string, string>>('files', {});
  const args = ['--lsp'];
  if (settings.get<boolean>('strict', false)) args.push('--strict');
  const directory = schemaDirectory(settings.get<string>('schemaDirectory', ''));
  if (directory !== '') args.push('--schema-dir', directory);

  const serverOptions: ServerOptions = { command: program, args };
  const patterns = [...ALWAYS, ...Object.keys(files)];
  const documentSelector: DocumentSelector = patterns.map((pattern) => ({
    scheme: 'file',
    pattern: selectorPattern(pattern),
  }));
  const clientOptions: LanguageClientOptions = {
    documentSelector,
    initializationOptions: { schemas: await schemaMap(files) },
    outputChannel: output,
  };
  client = new LanguageClient(SECTION, 'Orvex Config Validate', serverOptions, clientOptions);
  try {
    await client.start();
  } catch (error) {
    const message = error instanceof Error ? error.message : String(error);
    void vscode.window.showErrorMessage(
      `Orvex Config Validate: cannot start '${program} ${args.join(' ')}': ${message}. ` +
        `Set "${SECTION}.path" to the program.`,
    );
  }
}

async function stop(): Promise<void> {
  const running = client;
  client = undefined;
  if (running !== undefined) await running.stop().catch(() => undefined);
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  const output = vscode.window.createOutputChannel('Orvex Config Validate');
  context.subscriptions.push(output);
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration(SECTION)) return;
      await stop();
      await start(output);
    }),
    vscode.commands.registerCommand('orvexConfigValidate.restart', async () => {
      await stop();
      await start(output);
    }),
  );
  await start(output);
}

export function deactivate(): Promise<void> {
  return stop();
}
