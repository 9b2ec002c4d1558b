-- Headless Neovim accepts one issue through the built-in client: it opens
-- ORVEX_FILE, waits for the diagnostic of code ORVEX_CODE, asks for the
-- code actions at its place, applies "Accept this issue" with the client's
-- own edit, saves every buffer, then opens the project file the edit wrote
-- and writes the diagnostics of both as JSON to ORVEX_OUT.
local tool = os.getenv("ORVEX_TOOL")
local file = os.getenv("ORVEX_FILE")
local out = os.getenv("ORVEX_OUT")
local code = os.getenv("ORVEX_CODE")
local project = os.getenv("ORVEX_PROJECT")

local function finish(status, payload)
  local f = assert(io.open(out, "w"))
  f:write(vim.fn.json_encode(payload))
  f:close()
  vim.cmd(status == 0 and "qall!" or "cquit!")
end

local function diagnosticsOf(buffer)
  local list = {}
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    table.insert(list, { lnum = d.lnum, col = d.col, code = d.code, message = d.message })
  end
  return list
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

local function find(wanted)
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    if d.code == wanted then return d end
  end
  return nil
end
if not vim.wait(20000, function() return find(code) ~= nil end, 50) then
  finish(1, { error = "no " .. code .. " diagnostic within 20 s", seen = diagnosticsOf(buffer) })
end
local checked = diagnosticsOf(buffer)
local diagnostic = find(code)
local start = { line = diagnostic.lnum, character = diagnostic.col }
local answers = vim.lsp.buf_request_sync(buffer, "textDocument/codeAction", {
  textDocument = vim.lsp.util.make_text_document_params(buffer),
  range = { start = start, ["end"] = start },
  context = { diagnostics = {} },
}, 10000)
local chosen = nil
for _, answer in pairs(answers or {}) do
  for _, action in ipairs(answer.result or {}) do
    local about = action.diagnostics and action.diagnostics[1]
    if action.title == "Accept this issue" and about and about.code == code then
      chosen = action
    end
  end
end
if chosen == nil then
  finish(1, { error = "no Accept this issue action for " .. code, answers = answers })
end
vim.lsp.util.apply_workspace_edit(chosen.edit, "utf-16")
vim.cmd("wall")

-- The project file, open: its schema says the entry's reason is missing.
vim.cmd("edit " .. vim.fn.fnameescape(project))
local projectBuffer = vim.api.nvim_get_current_buf()
vim.lsp.buf_attach_client(projectBuffer, client)
vim.wait(10000, function() return #vim.diagnostic.get(projectBuffer) > 0 end, 50)
finish(0, { checked = checked, project = diagnosticsOf(projectBuffer) })
