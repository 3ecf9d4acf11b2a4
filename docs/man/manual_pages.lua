-- Pandoc filter: splits one reference page (docs/<module>.md) into section-3
-- manual pages, one per entry point, written into the folder `outdir`. The
-- document that pandoc itself writes is the list of pages, one per line.
--
-- An entry is a heading "### `name` — summary" whose name the module's header
-- declares as a function; the header gives the synopsis's exact prototype.
-- The entry's text up to its first labelled paragraph is the description; a
-- paragraph that starts with one of the labels below starts that section,
-- which runs to the next label or heading. Other entries named in the text,
-- and the entries of the same part of the reference, are listed under SEE ALSO.
--
-- Metadata (pandoc -M): header (path of the module's header), include (as a
-- program writes it, "morvanta/dbutil.h"), outdir, date (yyyy-mm-dd), source
-- ("Morvanta 4.0"), and shared_page: when set, every entry of the reference
-- shares one page of that name, described by the reference's own text, and
-- each entry's page is a ".so" link to it.

local labels = {
  ["Return value."] = "RETURN VALUE",
  ["Failures."] = "ERRORS",
  ["Environment."] = "ENVIRONMENT",
  ["Example."] = "EXAMPLES",
}
local section_order = { "RETURN VALUE", "ERRORS", "ENVIRONMENT", "EXAMPLES" }

-- Metadata given with -M arrives as plain strings.
local function stringify(value)
  return type(value) == "string" and value or pandoc.utils.stringify(value)
end

local function read_file(path)
  local f = assert(io.open(path, "r"))
  local text = f:read("a")
  f:close()
  return text
end

local function write_file(path, text)
  local f = assert(io.open(path, "w"))
  f:write(text)
  f:close()
end

-- The declaration of `name` in the header, on one line, without its ";" or
-- body; nil when the header declares no function of that name. Declarations
-- start in column 0; comment and preprocessor lines do not.
local function prototype(header_lines, name)
  for i, line in ipairs(header_lines) do
    if line:match("^[%a_]") and not line:match("^typedef") and
       (line:match("[%s%*]" .. name .. "%(")) then
      local text, depth, j = "", 0, i
      repeat
        local l = header_lines[j]
        text = text .. " " .. l
        for c in l:gmatch("[()]") do
          depth = depth + (c == "(" and 1 or -1)
        end
        j = j + 1
      until (depth == 0 and text:find("%)")) or j > #header_lines
      text = text:gsub("%s+", " "):gsub("^ ", ""):gsub("%s*[;{].*$", "")
      return text:gsub("%s+$", "")
    end
  end
  return nil
end

-- Text for a roff line: backslashes doubled, minus signs as hyphens, no
-- control character at its start.
local function roff(text)
  text = text:gsub("\\", "\\e"):gsub("%-", "\\-")
  if text:match("^[.']") then
    text = "\\&" .. text
  end
  return text
end

-- A roff text line broken at blanks into lines of at most 78 bytes.
local function wrap(text)
  local lines, line = {}, ""
  for word in text:gmatch("%S+") do
    if #line > 0 and #line + 1 + #word > 78 then
      lines[#lines + 1] = line
      line = word:match("^[.']") and ("\\&" .. word) or word
    else
      line = #line > 0 and (line .. " " .. word) or word
    end
  end
  lines[#lines + 1] = line
  return table.concat(lines, "\n")
end

-- The label of a paragraph, and the paragraph without it.
local function split_label(block)
  if block.t ~= "Para" or #block.content == 0 or block.content[1].t ~= "Emph" then
    return nil
  end
  local section = labels[stringify(block.content[1])]
  if not section then
    return nil
  end
  local rest = pandoc.List()
  for k = 2, #block.content do
    rest:insert(block.content[k])
  end
  while #rest > 0 and (rest[1].t == "Space" or rest[1].t == "SoftBreak") do
    rest:remove(1)
  end
  return section, pandoc.Para(rest)
end

-- The first paragraph of an entry may begin with its prototype in code
-- (followed by " — " and more text); the synopsis shows it instead.
local function drop_prototype(blocks, name)
  local first = blocks[1]
  if first and first.t == "Para" and first.content[1] and first.content[1].t == "Code" and
     first.content[1].text:find(name .. "(", 1, true) then
    local rest = pandoc.List()
    for k = 2, #first.content do
      rest:insert(first.content[k])
    end
    while #rest > 0 and (rest[1].t == "Space" or rest[1].t == "SoftBreak" or
                         (rest[1].t == "Str" and rest[1].text:match("^[—%-]+$"))) do
      rest:remove(1)
    end
    if #rest > 0 then
      rest[1] = rest[1].t == "Str" and pandoc.Str(rest[1].text:gsub("^%l", string.upper)) or rest[1]
      blocks[1] = pandoc.Para(rest)
    else
      blocks:remove(1)
    end
  end
  return blocks
end

-- Parts of an entry: description and labelled sections.
local function parts(blocks)
  local result = { DESCRIPTION = pandoc.List() }
  local current = "DESCRIPTION"
  for _, block in ipairs(blocks) do
    local section, rest = split_label(block)
    if block.t == "Header" then
      current = "DESCRIPTION"
    end
    if section then
      current = section
      result[current] = result[current] or pandoc.List()
      if #rest.content > 0 then
        result[current]:insert(rest)
      end
    else
      result[current]:insert(block)
    end
  end
  return result
end

-- Entry point names in code spans of the blocks.
local function named(blocks, known)
  local names = {}
  pandoc.walk_block(pandoc.Div(blocks), {
    Code = function(code)
      local n = code.text:match("^([%a_][%w_]*)")
      if n and known[n] then
        names[n] = true
      end
    end,
  })
  return names
end

-- pandoc's man writer, adjusted for mandoc: code in bold, code blocks in the
-- regular font, no paragraph macro straight after a heading.
local function render(blocks)
  local text = pandoc.write(pandoc.Pandoc(blocks), "man")
  text = text:gsub("\\f%[V%]", "\\f[B]"):gsub("\\f%[C%]\n", ""):gsub("\n\\f%[R%]\n%.fi", "\n.fi")
  text = text:gsub("(%.S[HS] [^\n]*\n)%.PP\n", "%1")
  return text:gsub("\n*$", "\n")
end

local function heading(title)
  return pandoc.Header(1, { pandoc.Str(title) }, pandoc.Attr())
end

function Pandoc(doc)
  local m = doc.meta
  local header_lines = {}
  for line in (read_file(stringify(m.header)) .. "\n"):gmatch("([^\n]*)\n") do
    header_lines[#header_lines + 1] = line
  end
  local include, outdir = stringify(m.include), stringify(m.outdir)
  local title_line = string.format('.TH "%%s" "3" "%s" "%s" "Morvanta Programmer\'s Manual"',
                                   stringify(m.date), stringify(m.source))
  local shared = m.shared_page and stringify(m.shared_page)

  -- Entries, in order, and the text outside them.
  local entries, known, outside = {}, {}, pandoc.List()
  local part_title, doc_summary, entry = "", "", nil
  for _, block in ipairs(doc.blocks) do
    if block.t == "Header" and block.level <= 3 then
      entry = nil
      if block.level == 1 then
        doc_summary = stringify(block.content):gsub("^[^—]*—%s*", "")
      elseif block.level == 2 then
        part_title = stringify(block.content)
      elseif block.content[1] and block.content[1].t == "Code" then
        local name = block.content[1].text
        local proto = prototype(header_lines, name)
        if proto then
          local summary = stringify(block.content):sub(#name + 1):gsub("^%s*—%s*", "")
          entry = { name = name, summary = summary, part = part_title, proto = proto,
                    blocks = pandoc.List() }
          entries[#entries + 1] = entry
          known[name] = entry
        end
      end
      if not entry and block.level >= 2 then
        outside:insert(block)
      end
    elseif entry then
      entry.blocks:insert(block)
    else
      outside:insert(block)
    end
  end

  local written = pandoc.List()
  local function page(name, summary_names, summary, synopsis, sections, see_also)
    local blocks = pandoc.List({ pandoc.RawBlock("man", title_line:format(name:upper())) })
    blocks:insert(heading("NAME"))
    blocks:insert(pandoc.RawBlock("man", wrap(roff(table.concat(summary_names, ", ")) .. " \\- " .. roff(summary))))
    blocks:insert(heading("SYNOPSIS"))
    blocks:insert(pandoc.RawBlock("man", ".nf\n.B #include <" .. include .. ">\n.PP\n" ..
                                  table.concat(synopsis, "\n") .. "\n.fi"))
    blocks:insert(heading("DESCRIPTION"))
    blocks:extend(sections.DESCRIPTION)
    for _, section in ipairs(section_order) do
      if sections[section] then
        blocks:insert(heading(section))
        blocks:extend(sections[section])
      end
    end
    if #see_also > 0 then
      local lines = {}
      for k, n in ipairs(see_also) do
        lines[k] = ".BR " .. roff(n) .. " (3)" .. (k < #see_also and "," or "")
      end
      blocks:insert(heading("SEE ALSO"))
      blocks:insert(pandoc.RawBlock("man", table.concat(lines, "\n")))
    end
    write_file(outdir .. "/" .. name .. ".3", render(blocks))
    written:insert(name)
  end

  local function synopsis_line(e)
    return roff(e.proto) .. ";"
  end

  local function return_value(e, sections)
    if not sections["RETURN VALUE"] and e.proto:match("^void ") then
      sections["RETURN VALUE"] = pandoc.List({ pandoc.Para({ pandoc.Str("None.") }) })
    end
    return sections
  end

  if shared then
    -- One page for all entries: the reference's own text, then each entry.
    local sections = parts(outside)
    local names, synopsis = {}, {}
    for _, e in ipairs(entries) do
      names[#names + 1] = e.name
      synopsis[#synopsis + 1] = synopsis_line(e)
      sections.DESCRIPTION:insert(pandoc.Header(2, { pandoc.Code(e.name) }, pandoc.Attr()))
      sections.DESCRIPTION:extend(e.blocks)
    end
    page(shared, names, doc_summary, synopsis, sections, {})
    for _, e in ipairs(entries) do
      write_file(outdir .. "/" .. e.name .. ".3", ".so man3/" .. shared .. ".3\n")
      written:insert(e.name)
    end
  else
    for _, e in ipairs(entries) do
      local sections = return_value(e, parts(drop_prototype(e.blocks, e.name)))
      local related = named(e.blocks, known)
      for _, other in ipairs(entries) do
        if other.part == e.part then
          related[other.name] = true
        end
      end
      related[e.name] = nil
      local see_also = {}
      for n in pairs(related) do
        see_also[#see_also + 1] = n
      end
      table.sort(see_also)
      page(e.name, { e.name }, e.summary, { synopsis_line(e) }, sections, see_also)
    end
  end

  return pandoc.Pandoc({ pandoc.Plain({ pandoc.Str(table.concat(written, "\n")) }) })
end
