-- Opens one file in headless Neovim, attaches orvex-config-validate --lsp
-- through the built-in client, waits for its diagnostics and writes them
-- as JSON. Environment: ORVEX_TOOL, ORVEX_FILE, ORVEX_OUT.
local tool = os.getenv("ORVEX_TOOL")
local file = os.getenv("ORVEX_FILE")
local out = os.getenv("ORVEX_OUT")

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

local diagnostics = {}
for _, d in ipairs(vim.diagnostic.get(buffer)) do
  table.insert(diagnostics, {
    lnum = d.lnum, col = d.col, end_lnum = d.end_lnum, end_col = d.end_col,
    severity = d.severity, code = d.code, source = d.source, message = d.message,
  })
end
finish(0, { diagnostics = diagnostics })
