-- Opens one file in headless Neovim and attaches orvex-config-validate --lsp
-- through the built-in client. ORVEX_MODE "diagnostics" (the default)
-- waits for the diagnostics and writes them as JSON; "edit" renames a
-- group id with the client's own rename, picks the one quick fix of a
-- diagnostic (not a preferred one: another group is the operator's choice),
-- applies it through the client's own edit, and saves the file; "format"
-- formats the buffer with the client's own formatting and saves the file.
-- Environment: ORVEX_TOOL, ORVEX_FILE, ORVEX_OUT, ORVEX_MODE, and for
-- "edit" ORVEX_RENAME_LINE, ORVEX_RENAME_COLUMN (0-based) and ORVEX_NEW_ID.
local tool = os.getenv("ORVEX_TOOL")
local file = os.getenv("ORVEX_FILE")
local out = os.getenv("ORVEX_OUT")
local mode = os.getenv("ORVEX_MODE") or "diagnostics"

local function finish(status, payload)
  local f = assert(io.open(out, "w"))
  f:write(vim.fn.json_encode(payload))
  f:close()
  vim.cmd(status == 0 and "qall!" or "cquit!")
end

vim.cmd("edit " .. vim.fn.fnameescape(file))
local buffer = vim.api.nvim_get_current_buf()
local client = vim.lsp.start_client({
  name = "orvex",
  cmd = { tool, "--lsp" },
  root_dir = vim.fn.fnamemodify(file, ":p:h"),
  -- Strict mode suggests close names, and so fixes misspelt references.
  init_options = { strict = mode == "edit" },
})
if not client then
  finish(1, { error = "the client did not start" })
end
vim.lsp.buf_attach_client(buffer, client)

local received = vim.wait(20000, function()
  return #vim.diagnostic.get(buffer) > 0
end, 50)
if not received then
  finish(1, { error = "no diagnostics within 20 s" })
end

local function text()
  return table.concat(vim.api.nvim_buf_get_lines(buffer, 0, -1, false), "\n")
end

local function edit()
  local before = text()
  vim.api.nvim_win_set_cursor(0, {
    tonumber(os.getenv("ORVEX_RENAME_LINE")) + 1, tonumber(os.getenv("ORVEX_RENAME_COLUMN")),
  })
  vim.lsp.buf.rename(os.getenv("ORVEX_NEW_ID"))
  if not vim.wait(10000, function() return text() ~= before end, 50) then
    finish(1, { error = "the rename changed nothing within 10 s" })
  end
  -- The renamed text reaches the server before the fixes are asked for:
  -- they are edits of the text as the server last checked it.
  local renamed = text()
  vim.wait(1000, function() return false end, 50)
  local diagnostic = nil
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    if d.code == "missing_group_ref" then
      diagnostic = d
    end
  end
  if diagnostic == nil then
    finish(1, { error = "no missing_group_ref diagnostic after the rename" })
  end
  local start = { line = diagnostic.lnum, character = diagnostic.col }
  local answers = vim.lsp.buf_request_sync(buffer, "textDocument/codeAction", {
    textDocument = vim.lsp.util.make_text_document_params(buffer),
    range = { start = start, ["end"] = start },
    context = { diagnostics = {} },
  }, 10000)
  local offered = {}
  for _, answer in pairs(answers or {}) do
    for _, action in ipairs(answer.result or {}) do
      table.insert(offered, action)
    end
  end
  if #offered ~= 1 or offered[1].isPreferred then
    finish(1, { error = "expected one quick fix, not preferred", offered = offered })
  end
  local chosen = offered[1]
  vim.lsp.util.apply_workspace_edit(chosen.edit, "utf-16")
  vim.cmd("write")
  finish(0, { fix = chosen.title })
end

local function format()
  local before = text()
  -- Neovim 0.8 named it format; 0.7 has only formatting_sync.
  if vim.lsp.buf.format then
    vim.lsp.buf.format({ timeout_ms = 10000 })
  else
    vim.lsp.buf.formatting_sync(nil, 10000)
  end
  if text() == before then
    finish(1, { error = "formatting changed nothing" })
  end
  vim.cmd("write")
  finish(0, { formatted = true })
end

if mode == "edit" then
  edit()
elseif mode == "format" then
  format()
end

local diagnostics = {}
for _, d in ipairs(vim.diagnostic.get(buffer)) do
  table.insert(diagnostics, {
    lnum = d.lnum, col = d.col, end_lnum = d.end_lnum, end_col = d.end_col,
    severity = d.severity, code = d.code, source = d.source, message = d.message,
  })
end
finish(0, { diagnostics = diagnostics })
