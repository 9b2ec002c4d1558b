export type Severity = 'error' | 'warning' | 'info';

export interface CheckOptions {
  /** Also warn about members that the schema does not name (--strict). */
  strict?: boolean;
  failOnWarning?: boolean;
  failOnInfo?: boolean;
  /** The most issues listed of a file; 0 lists all (default 1000). */
  maxIssues?: number;
}

export interface Place {
  line: number;
  column: number;
}

export interface Issue {
  severity: Severity;
  path: string | null;
  code: string;
  message: string;
  line: number | null;
  column: number | null;
  hint?: string;
  related?: Place;
}

export interface FileReport {
  file: string;
  schema: string;
  ok: boolean;
  issues: Issue[];
  notShown?: number;
}

/** The command-line tool's JSON report (--format json). */
export interface Report {
  files: FileReport[];
  summary: { files: number; errors: number; warnings: number; info: number; notShown?: number };
}

export interface IssueCodeInfo {
  code: string;
  severity: Severity;
  summary: string;
  explanation: string;
  impact: string;
  fix: string;
}

export interface MemberInfo {
  pointer: string;
  title: string;
  description: string;
  type: string;
  required: boolean;
  unit: string;
  range: string;
  whenMissing: string;
  enumerators: { value: number; name: string }[];
}

export interface FixedText {
  /** How many fixes were made. */
  applied: number;
  /** The fixed text's bytes. */
  text: Uint8Array;
}

/** Text as a string (written as UTF-8) or as its bytes. */
export type Text = string | Uint8Array;

export declare const DEFAULT_MAX_ISSUES: number;

export declare class Checker {
  constructor(module: unknown);
  check(schemaId: string, name: string, text: Text, options?: CheckOptions): Report;
  checkJson(schemaId: string, name: string, text: Text, options?: CheckOptions): string;
  checkPair(serverName: string, serverText: Text, bridgesName: string, bridgesText: Text,
            options?: CheckOptions): Report;
  checkPairJson(serverName: string, serverText: Text, bridgesName: string, bridgesText: Text,
                options?: CheckOptions): string;
  schemas(): string[];
  explain(code: string): IssueCodeInfo | null;
  /** The member whose name or value holds the byte offset, or null. */
  memberAt(schemaId: string, text: Text, offset: number): MemberInfo | null;
  fix(schemaId: string, text: Text, options?: CheckOptions): [FixedText];
  fixPair(serverText: Text, bridgesText: Text, options?: CheckOptions): [FixedText, FixedText];
}

/** Loads the module; in Node its .wasm is read beside this file. */
export declare function createChecker(wasmBinary?: Uint8Array): Promise<Checker>;
