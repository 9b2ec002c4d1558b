// For Node and bundlers: loads the module with the bytes of its .wasm, read
// here (the generated loader's own fetch of a file fails under Node 18+).
import createOrvexModule from './orvex-config-validate.mjs';
import { Checker } from './orvex.mjs';

export { Checker, DEFAULT_MAX_ISSUES } from './orvex.mjs';

async function wasmBytes() {
  const url = new URL('./orvex-config-validate.wasm', import.meta.url);
  if (url.protocol === 'file:') {
    const { readFile } = await import('node:fs/promises');
    return readFile(url);
  }
  const response = await fetch(url);
  return new Uint8Array(await response.arrayBuffer());
}

export async function createChecker(wasmBinary) {
  const module = await createOrvexModule({ wasmBinary: wasmBinary ?? (await wasmBytes()) });
  return new Checker(module);
}
