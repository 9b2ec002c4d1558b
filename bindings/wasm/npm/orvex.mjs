// The checker over the module's plain C interface. Every text and name is
// written into the module's heap (never onto its small stack, which a text
// of a few MB would overflow) and every answer is read back and freed.
const encoder = new TextEncoder();
const decoder = new TextDecoder();

// What the command-line tool lists of a file unless told otherwise.
export const DEFAULT_MAX_ISSUES = 1000;

function flagsOf(options = {}) {
  return (options.strict ? 1 : 0) | (options.failOnWarning ? 2 : 0) | (options.failOnInfo ? 4 : 0);
}

function bytesOf(value) {
  return typeof value === 'string' ? encoder.encode(value) : value;
}

export class Checker {
  constructor(module) {
    this.module = module;
  }

  // Calls `call` with a pointer and a length for each value, a NUL after
  // each so that names serve as C strings; frees them all afterwards.
  #withHeap(values, call) {
    const m = this.module;
    const placed = [];
    try {
      for (const value of values) {
        const bytes = bytesOf(value);
        const at = m._malloc(bytes.length + 1);
        if (!at) throw new Error('orvex-config-validate: out of memory');
        m.HEAPU8.set(bytes, at);
        m.HEAPU8[at + bytes.length] = 0;
        placed.push([at, bytes.length]);
      }
      return call(placed);
    } finally {
      for (const [at] of placed) m._free(at);
    }
  }

  // The answer's bytes (a NUL ends them unless a length is known), freed.
  #take(at, length) {
    if (!at) throw new Error('orvex-config-validate: the module ran out of memory');
    const m = this.module;
    const end = length === undefined ? m.HEAPU8.indexOf(0, at) : at + length;
    const bytes = m.HEAPU8.slice(at, end);
    m._ocv_free(at);
    return bytes;
  }

  #text(at) {
    return decoder.decode(this.#take(at));
  }

  checkJson(schemaId, name, text, options = {}) {
    return this.#withHeap([schemaId, name, text], ([id, file, body]) =>
      this.#text(this.module._ocv_check(id[0], file[0], body[0], body[1],
        options.maxIssues ?? DEFAULT_MAX_ISSUES, flagsOf(options))));
  }

  checkPairJson(serverName, serverText, bridgesName, bridgesText, options = {}) {
    return this.#withHeap([serverName, serverText, bridgesName, bridgesText], ([sn, st, bn, bt]) =>
      this.#text(this.module._ocv_check_pair(sn[0], st[0], st[1], bn[0], bt[0], bt[1],
        options.maxIssues ?? DEFAULT_MAX_ISSUES, flagsOf(options))));
  }

  check(schemaId, name, text, options) {
    return JSON.parse(this.checkJson(schemaId, name, text, options));
  }

  checkPair(serverName, serverText, bridgesName, bridgesText, options) {
    return JSON.parse(this.checkPairJson(serverName, serverText, bridgesName, bridgesText, options));
  }

  schemas() {
    return JSON.parse(this.#text(this.module._ocv_schemas()));
  }

  explain(code) {
    return this.#withHeap([code], ([c]) => JSON.parse(this.#text(this.module._ocv_explain(c[0]))));
  }

  // `offset` counts bytes of the text's UTF-8.
  memberAt(schemaId, text, offset) {
    return this.#withHeap([schemaId, text], ([id, body]) =>
      JSON.parse(this.#text(this.module._ocv_member_at(id[0], body[0], body[1], offset))));
  }

  // The texts with their safe fixes made; each text comes back as bytes.
  fix(schemaId, text, options = {}) {
    return this.#withHeap([schemaId, text], ([id, body]) =>
      this.#fixed(this.module._ocv_fix(id[0], body[0], body[1], flagsOf(options))));
  }

  fixPair(serverText, bridgesText, options = {}) {
    return this.#withHeap([serverText, bridgesText], ([s, b]) =>
      this.#fixed(this.module._ocv_fix_pair(s[0], s[1], b[0], b[1], flagsOf(options))));
  }

  // "APPLIED LENGTH ..." then the texts' bytes one after the other.
  #fixed(at) {
    if (!at) throw new Error('orvex-config-validate: the module ran out of memory');
    const m = this.module;
    const newline = m.HEAPU8.indexOf(10, at);
    const header = decoder.decode(m.HEAPU8.slice(at, newline)).split(' ').map(Number);
    let from = newline + 1;
    const files = [];
    for (let i = 0; i < header.length; i += 2) {
      files.push({ applied: header[i], text: m.HEAPU8.slice(from, from + header[i + 1]) });
      from += header[i + 1];
    }
    m._ocv_free(at);
    return files;
  }
}
