# SPDX-License-Identifier: GPL-3.0-or-later
"""The mutants of a C++ source: small faults made from its tokens, one at a time.

Lexical: the text is split into tokens (comments, preprocessor lines and the insides of string and character
literals are never code), braces are matched and each block is told apart as a namespace, a class, code or an
initialiser from the tokens before it. It relies on the tree being clang-formatted: a `<` or `>` with a space
on both sides is a comparison, one without is a template bracket.
"""

import bisect
import collections
import dataclasses
import re

KEYWORDS = frozenset("""
    alignas alignof and asm auto bool break case catch char char16_t char32_t char8_t class co_await
    co_return co_yield concept const const_cast consteval constexpr constinit continue decltype default
    delete do double dynamic_cast else enum explicit export extern false float for friend goto if inline int
    long mutable namespace new noexcept not nullptr operator or private protected public register
    reinterpret_cast requires return short signed sizeof static static_assert static_cast struct switch
    template this thread_local throw true try typedef typeid typename union unsigned using virtual void
    volatile wchar_t while emit Q_EMIT
""".split())

# Calls whose arguments are no code a test could tell apart: checks compiled out of an optimised build,
# declarations to Qt's meta-object compiler.
INERT_MACROS = frozenset("""
    assert static_assert Q_ASSERT Q_ASSERT_X Q_UNUSED Q_UNREACHABLE Q_STATIC_ASSERT Q_DECLARE_METATYPE
    Q_DECLARE_INTERFACE Q_DECLARE_FLAGS Q_DECLARE_OPERATORS_FOR_FLAGS Q_PROPERTY Q_ENUM Q_FLAG Q_INTERFACES
    Q_PLUGIN_METADATA Q_DISABLE_COPY Q_DISABLE_COPY_MOVE Q_LOGGING_CATEGORY Q_DECLARE_LOGGING_CATEGORY
    QT_TR_NOOP QT_TRANSLATE_NOOP SIGNAL SLOT
""".split())

OPERATORS = ("relational", "equality", "logical", "negate", "constant", "call", "exit", "swap")

_PUNCTUATORS = sorted(
    """<=> <<= >>= ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .* ##
       { } [ ] ( ) ; : ? . , + - * / % ^ & | ~ ! = < > #""".split(),
    key=len,
    reverse=True,
)
_LITERAL_PREFIXES = frozenset(["u", "U", "L", "u8", "R", "uR", "UR", "LR", "u8R"])
_NUMBER = re.compile(r"\.?\d(?:[eEpP][+-]|'[0-9A-Za-z_]|[0-9A-Za-z_.])*")
_IDENT = re.compile(r"[A-Za-z_]\w*")
_INTEGER = re.compile(r"(0[xX][0-9a-fA-F']+|0[bB][01']+|0[0-7']*|[1-9][0-9']*)([uUlLzZ]*|_\w+)")
_FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
_LOOP_HEADS = frozenset(["for", "range-for", "while", "do"])
# What ends an expression's && and || chain at its own bracket level.
_CHAIN_ENDS = frozenset("""
    , ; ? : = += -= *= /= %= &= |= ^= <<= >>= { } return co_return co_yield throw
""".split())
_TRAILING_RETURN = frozenset(["->", "::", "<", ">", ">>", "*", "&", ","])  # what stands between ")" and "{"


@dataclasses.dataclass(frozen=True)
class Token:
    kind: str  # ident, number, string, char, punct
    text: str
    start: int
    end: int
    line: int  # from 0


@dataclasses.dataclass(frozen=True)
class Mutant:
    path: str
    line: int  # from 1: the first line it changes
    operator: str
    edits: tuple  # (start, end, replacement) on the original text, in order, apart
    before: str  # the lines it changes, as they were
    after: str  # the same lines, mutated ("" when they are gone)
    lines: tuple  # every line it changes, from 1

    def apply(self, text):
        return apply_edits(text, self.edits)


def apply_edits(text, edits, offset=0):
    """`text`, which starts at `offset` of the file the edits are for, with the edits made."""
    pieces, at = [], 0
    for start, end, replacement in edits:
        pieces += [text[at : start - offset], replacement]
        at = end - offset
    return "".join(pieces) + text[at:]


class _Text:
    def __init__(self, text):
        self.text = text
        self.line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def line_of(self, offset):
        return bisect.bisect_right(self.line_starts, offset) - 1

    def line_span(self, line):
        start = self.line_starts[line]
        end = self.line_starts[line + 1] if line + 1 < len(self.line_starts) else len(self.text)
        return start, end


def lex(text):
    """The code tokens of `text`, without comments and preprocessor lines."""
    tokens, i, n = [], 0, len(text)
    line, line_start_only_space = 0, True

    def skip_block_comment(at):
        end = text.find("*/", at + 2)
        return n if end < 0 else end + 2

    while i < n:
        c = text[i]
        if c == "\n":
            line += 1
            i += 1
            line_start_only_space = True
            continue
        if c in " \t\r\f\v" or (c == "\\" and text.startswith("\n", i + 1)):
            i += 1
            continue
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
            continue
        if text.startswith("/*", i):
            end = skip_block_comment(i)
            line += text.count("\n", i, end)
            i = end
            continue
        if c == "#" and line_start_only_space:
            while i < n and text[i] != "\n":
                if text.startswith("/*", i):
                    end = skip_block_comment(i)
                    line += text.count("\n", i, end)
                    i = end
                elif text.startswith("\\\n", i):
                    line += 1
                    i += 2
                else:
                    i += 1
            continue
        line_start_only_space = False
        start = i
        if m := _IDENT.match(text, i):
            word = m.group()
            following = text[m.end()] if m.end() < n else ""
            if word in _LITERAL_PREFIXES and following in "\"'" and following:
                end = _literal_end(text, m.end(), raw=word.endswith("R") and following == '"')
                kind = "string" if following == '"' else "char"
                tokens.append(Token(kind, text[start:end], start, end, line))
                line += text.count("\n", start, end)
                i = end
                continue
            tokens.append(Token("ident", word, start, m.end(), line))
            i = m.end()
            continue
        if m := _NUMBER.match(text, i):
            tokens.append(Token("number", m.group(), start, m.end(), line))
            i = m.end()
            continue
        if c in "\"'":
            end = _literal_end(text, i, raw=False)
            tokens.append(Token("string" if c == '"' else "char", text[start:end], start, end, line))
            line += text.count("\n", start, end)
            i = end
            continue
        punct = next((p for p in _PUNCTUATORS if text.startswith(p, i)), c)
        tokens.append(Token("punct", punct, start, start + len(punct), line))
        i += len(punct)
    return tokens


def _literal_end(text, quote, raw):
    """The end of the string or character literal whose opening quote is at `quote`, with its suffix."""
    n = len(text)
    if raw:
        paren = text.find("(", quote)
        delimiter = text[quote + 1 : paren]
        close = text.find(")" + delimiter + '"', paren)
        end = n if paren < 0 or close < 0 else close + len(delimiter) + 2
    else:
        mark, i = text[quote], quote + 1
        while i < n and text[i] != mark and text[i] != "\n":
            i += 2 if text[i] == "\\" else 1
        end = min(i + 1, n)
    if m := _IDENT.match(text, end):  # a user-defined literal's suffix
        end = m.end()
    return end


@dataclasses.dataclass
class _Frame:
    kind: str  # top, namespace, class, code, init
    opener: int  # the index of its "{", -1 for the file
    function: bool = False  # the body of a function or a lambda
    head: str = ""  # the keyword heading a code block: if, for, while, do, switch, else, ...
    statements: list = dataclasses.field(default_factory=list)
    parent: "_Frame" = None
    index: int = -1  # of the statement it is the block of, in the parent's statements


@dataclasses.dataclass
class _Statement:
    first: int
    last: int  # its ";" or the "}" of its block
    body_of: str  # for the body of an if, else, for, while or do without braces, that keyword

    @property
    def braceless(self):
        return bool(self.body_of)


_CONDITIONED = frozenset(["if", "for", "while", "switch"])


class _Structure:
    """The tokens' brackets, blocks and statements."""

    def __init__(self, tokens):
        self.tokens = tokens
        self.match = {}
        # The innermost bracket around each token; a closer has its opener's.
        self.parent = [-1] * len(tokens)
        stack = []
        for i, t in enumerate(tokens):
            closer = t.kind == "punct" and t.text in ")]}"
            if closer and stack:
                opener = stack.pop()
                self.match[opener], self.match[i] = i, opener
            self.parent[i] = stack[-1] if stack else -1
            if t.kind == "punct" and t.text in "([{":
                stack.append(i)
        self.children = {}
        for i, p in enumerate(self.parent):
            self.children.setdefault(p, []).append(i)
        self.frames = {}
        self.inert = self._inert()
        self._frame(_Frame("top", -1))

    def text(self, i):
        return self.tokens[i].text if 0 <= i < len(self.tokens) else ""

    def is_punct(self, i, text):
        return 0 <= i < len(self.tokens) and self.tokens[i].kind == "punct" and self.tokens[i].text == text

    def members(self, opener):
        """The tokens directly inside the bracket at `opener` (-1: the file), with the brackets of groups
        inside it but not their contents."""
        return [i for i in self.children.get(opener, []) if i != self.match.get(opener)]

    def _inert(self):
        inert = [False] * len(self.tokens)
        for i, t in enumerate(self.tokens):
            called = self.is_punct(i + 1, "(") and i + 1 in self.match
            if t.kind == "ident" and t.text in INERT_MACROS and called:
                for j in range(i, self.match[i + 1] + 1):
                    inert[j] = True
            if t.kind == "ident" and t.text == "operator" and i + 1 < len(self.tokens):
                inert[i + 1] = True
        return inert

    def frame_of(self, i):
        """The block token `i` stands in, directly or inside brackets."""
        p = self.parent[i]
        while p >= 0 and not self.is_punct(p, "{"):
            p = self.parent[p]
        return self.frames.get(p)

    def condition_keyword(self, close):
        """The if, for, while or switch whose condition ends at the ")" at `close`, or ""."""
        keyword = self.match.get(close, 0) - 1
        if self.text(keyword) == "constexpr":
            keyword -= 1
        return self.text(keyword) if self.text(keyword) in _CONDITIONED | {"catch"} else ""

    def head_of(self, close):
        """What heads the block or statement after the condition ending at `close`: if, while, switch, for
        or range-for (`for (x : xs)`)."""
        keyword = self.condition_keyword(close)
        if keyword == "for" and any(self.is_punct(j, ":") for j in self.members(self.match[close])):
            return "range-for"
        return keyword

    def is_lambda_body(self, brace):
        i = brace - 1
        while i >= 0:
            if self.is_punct(i, "]"):
                return True
            if self.is_punct(i, ")"):
                return self.is_punct(self.match.get(i, 0) - 1, "]")
            if self.tokens[i].kind == "ident" or self.tokens[i].text in _TRAILING_RETURN:
                i -= 1
                continue
            return False
        return False

    def _classify(self, brace, frame, head):
        """The frame the block opened at `brace` makes, `head` being the tokens of its statement before it."""
        prev = brace - 1
        texts = [self.text(i) for i in head]
        if self.parent[brace] != frame.opener or frame.kind == "init":  # inside an expression
            if self.is_lambda_body(brace):
                return _Frame("code", brace, function=True)
            return _Frame("init", brace)
        if frame.kind == "code":
            if self.is_lambda_body(brace):
                return _Frame("code", brace, function=True)
            if self.is_punct(prev, ")") and self.condition_keyword(prev):
                return _Frame("code", brace, head=self.head_of(prev))
            if self.text(prev) in ("else", "do", "try"):
                return _Frame("code", brace, head=self.text(prev))
            if not head:
                return _Frame("code", brace, head="block")
            return _Frame("init", brace)
        if "namespace" in texts or (texts[:1] == ["extern"] and len(texts) > 1):
            return _Frame("namespace", brace)
        if self.is_lambda_body(brace):
            return _Frame("code", brace, function=True)
        if "=" in texts:
            return _Frame("init", brace)
        if {"class", "struct", "union", "enum"} & set(texts) and "(" not in texts:
            return _Frame("class", brace)
        previous = self.tokens[prev] if prev >= 0 else None
        if (
            previous is not None
            and previous.kind == "ident"
            and previous.text not in ("const", "override", "final", "noexcept", "mutable", "try")
            and "->" not in texts
        ):
            return _Frame("init", brace)  # a member's initialiser: `name{value}`
        if "(" in texts:
            return _Frame("code", brace, function=True)
        return _Frame("init", brace)

    def _frame(self, frame):
        self.frames[frame.opener] = frame
        members = self.members(frame.opener)
        head, body_of, body_follows, closer_done = [], "", "", None
        for k, i in enumerate(members):
            t = self.tokens[i]
            following = self.text(members[k + 1]) if k + 1 < len(members) else ""
            if not head:
                body_of, body_follows = body_follows, ""
            if i == closer_done:
                continue
            if self.is_punct(i, "{"):
                inner = self._classify(i, frame, head)
                inner.parent = frame
                self._frame(inner)
                lambda_in_code = inner.function and frame.kind == "code"
                if inner.kind == "namespace" or inner.kind == "code" and not lambda_in_code:
                    inner.index = len(frame.statements)
                    first = head[0] if head else i
                    frame.statements.append(_Statement(first, self.match.get(i, i), body_of))
                    head, closer_done = [], self.match.get(i)
                else:
                    head.append(i)
                continue
            if self.is_punct(i, "(") or self.is_punct(i, "["):
                self._nested(i)
            head.append(i)
            if frame.kind != "code":
                if t.text == ";" and t.kind == "punct":
                    frame.statements.append(_Statement(head[0], i, body_of))
                    head = []
                continue
            if t.kind == "punct" and t.text == ";":
                frame.statements.append(_Statement(head[0], i, body_of))
                head = []
            elif t.kind == "punct" and t.text == ":" and self.text(head[0]) in ("case", "default"):
                head = []  # a label
            elif self.is_punct(i, ")") and self.condition_keyword(i) in _CONDITIONED:
                own = self.match[i] - 1 in head or self.match[i] - 2 in head  # this statement's condition
                if own and following not in ("{", ";"):
                    head, body_follows = [], self.head_of(i)  # the braceless body comes next
            elif t.text in ("else", "do") and head == [i] and following not in ("{", "if"):
                head, body_follows = [], t.text

    def _nested(self, opener):
        """The blocks inside the brackets at `opener`: lambdas and initialisers in an expression."""
        for i in self.members(opener):
            if self.is_punct(i, "{"):
                outer = self.frame_of(i)
                inner = self._classify(i, outer, [])
                inner.parent = outer
                self._frame(inner)
            elif self.is_punct(i, "(") or self.is_punct(i, "["):
                self._nested(i)


def mutants(path, text):
    """Every mutant of the C++ source `text` (the contents of `path`), in the order of the file."""
    source = _Text(text)
    tokens = lex(text)
    structure = _Structure(tokens)
    found = []

    def add(operator, edits):
        edits = tuple(sorted(edits))
        first = source.line_of(edits[0][0])
        last = max(source.line_of(max(end - 1, start)) for start, end, _ in edits)
        start, end = source.line_span(first)[0], source.line_span(last)[1]
        original = text[start:end]
        mutated = apply_edits(original, edits, start)
        lines = tuple(range(first + 1, last + 2))
        found.append(Mutant(path, first + 1, operator, edits, _shown(original), _shown(mutated), lines))

    for i, t in enumerate(tokens):
        if structure.inert[i]:
            continue
        if t.kind == "punct" and t.text in ("&&", "||") and _spaced(text, t):
            add("logical", _logical_edits(structure, i))
        elif t.kind == "punct" and t.text in _FLIP and (t.text in ("==", "!=") or _spaced(text, t)):
            operator = "equality" if t.text in ("==", "!=") else "relational"
            add(operator, [(t.start, t.end, _FLIP[t.text])])
        elif t.kind == "number" and (m := _INTEGER.fullmatch(t.text)) and not _pure_specifier(structure, i):
            for replacement in _integers_beside(m.group(1), m.group(2)):
                add("constant", [(t.start, t.end, replacement)])
        elif t.kind == "ident" and t.text in ("if", "while") and structure.is_punct(i + 1, "("):
            frame = structure.frame_of(i)
            condition = _condition(structure, i + 1)
            if frame is not None and frame.kind == "code" and condition:
                first, last = tokens[condition[0]], tokens[condition[1]]
                add("negate", [(first.start, first.start, "!("), (last.end, last.end, ")")])

    for frame in structure.frames.values():
        if frame.kind != "code":
            continue
        for k, statement in enumerate(frame.statements):
            first = tokens[statement.first]
            if not structure.is_punct(statement.last, ";") or structure.inert[statement.first]:
                continue
            is_last = k == len(frame.statements) - 1
            if _leaves_unused(structure, frame, statement):
                pass
            elif _is_call(structure, statement) and not _whole_range_for_body(frame, statement):
                add("call", [_removal(source, structure, statement)])
            elif first.text in ("return", "continue", "break", "co_return") and not (
                is_last and _redundant_exit(structure, frame, first.text)
                or _ends_case(structure, frame, statement, is_last)
            ):
                add("exit", [_removal(source, structure, statement)])
            if not is_last and _swappable(source, structure, statement, frame.statements[k + 1]):
                a = source.line_span(first.line)
                b = source.line_span(tokens[frame.statements[k + 1].first].line)
                add("swap", [(a[0], a[1], text[b[0] : b[1]]), (b[0], b[1], text[a[0] : a[1]])])

    found.sort(key=lambda m: (m.line, m.edits, OPERATORS.index(m.operator)))
    return found


def _logical_edits(structure, i):
    """&& turned || or the other way, with the && runs of a chain that now mixes them in parentheses: the
    meaning C++ gives the mixed chain anyway, without the warning -Werror would stop the build on."""
    tokens = structure.tokens
    flipped = _FLIP[tokens[i].text]
    edits = [(tokens[i].start, tokens[i].end, flipped)]
    siblings = structure.members(structure.parent[i])
    k = siblings.index(i)
    low, high = k, k
    while low > 0 and structure.text(siblings[low - 1]) not in _CHAIN_ENDS:
        low -= 1
    while high + 1 < len(siblings) and structure.text(siblings[high + 1]) not in _CHAIN_ENDS:
        high += 1
    operands, operators, current = [], [], []
    for j in siblings[low : high + 1]:
        if tokens[j].kind == "punct" and tokens[j].text in ("&&", "||"):
            operands.append(current)
            operators.append(flipped if j == i else tokens[j].text)
            current = []
        else:
            current.append(j)
    operands.append(current)
    if len(set(operators)) < 2 or not all(operands):
        return edits
    run = [operands[0]]
    for operator, operand in zip(operators + ["||"], operands[1:] + [None]):
        if operator == "&&":
            run.append(operand)
            continue
        if len(run) > 1:
            edits += [(tokens[run[0][0]].start,) * 2 + ("(",), (tokens[run[-1][-1]].end,) * 2 + (")",)]
        run = [operand]
    return edits


def _leaves_unused(structure, frame, statement):
    """Whether removing `statement` leaves a parameter or a variable of its function unused (the one other
    mention of the name is its declaration), which -Werror refuses."""
    outer = frame
    while outer.parent is not None and outer.parent.kind == "code":
        outer = outer.parent
    start = outer.opener
    if outer.parent is not None and outer.index >= 0:
        start = outer.parent.statements[outer.index].first
    end = structure.match.get(outer.opener, len(structure.tokens) - 1)
    tokens = structure.tokens
    names = {
        tokens[i].text
        for i in range(statement.first, statement.last + 1)
        if tokens[i].kind == "ident" and tokens[i].text not in KEYWORDS
    }
    mentions = collections.defaultdict(list)
    for j in range(start, end + 1):
        outside = not statement.first <= j <= statement.last
        if outside and tokens[j].kind == "ident" and tokens[j].text in names:
            mentions[tokens[j].text].append(j)
    return any(len(found) == 1 and _declares(structure, found[0]) for found in mentions.values())


def _declares(structure, i):
    """Whether the name at `i` is being declared: `T name =`, `T& name,`, `const auto& name :`..."""
    before = structure.tokens[i - 1] if i > 0 else None
    typed = before is not None and (
        before.text in (">", "*", "&", "&&")
        or before.kind == "ident" and (before.text not in KEYWORDS or before.text in _TYPE_KEYWORDS)
    )
    return typed and structure.text(i + 1) in ("=", ";", ",", ")", "{", "(", ":", "[")


def _whole_range_for_body(frame, statement):
    """Whether `statement` is all a range-for does, so that removing it leaves the loop's variable unused,
    which -Werror refuses."""
    return statement.body_of == "range-for" or frame.head == "range-for" and len(frame.statements) == 1


def _ends_case(structure, frame, statement, is_last):
    """Whether a case label follows `statement`: without it the case would fall through, which -Werror
    refuses."""
    if structure.text(statement.last + 1) in ("case", "default"):
        return True
    return is_last and _falls_to(structure, frame) == "next case"


def _redundant_exit(structure, frame, keyword):
    """Whether leaving from the end of `frame` changes nothing: the function's last return, a loop's last
    continue, a switch's last break (also at the end of an if, else, try or catch block that ends them)."""
    wanted = {"return": "function", "co_return": "function", "continue": "loop", "break": "switch"}[keyword]
    return _falls_to(structure, frame) == wanted


def _falls_to(structure, frame):
    """What the program reaches on falling off the end of `frame`: the function's end, a loop's next turn,
    the switch's end, the next case, or "" for more statements."""
    while True:
        if frame.function:
            return "function"
        if frame.head in _LOOP_HEADS:
            return "loop"
        if frame.head == "switch":
            return "switch"
        if frame.parent is None or frame.parent.kind != "code" or frame.index < 0:
            return ""
        if structure.text(structure.match.get(frame.opener, -2) + 1) in ("case", "default"):
            return "next case"
        after = frame.parent.statements[frame.index + 1 :]
        if any(structure.text(s.first) not in ("catch", "else") for s in after):
            return ""
        frame = frame.parent


def _shown(lines):
    return "\n".join(line.rstrip() for line in lines.rstrip("\n").split("\n")) if lines.strip() else ""


def _spaced(text, token):
    before = text[token.start - 1] if token.start > 0 else " "
    after = text[token.end] if token.end < len(text) else " "
    return before.isspace() and after.isspace()


def _integers_beside(digits, suffix):
    plain = digits.replace("'", "")
    if plain[:2] in ("0x", "0X"):
        value = int(plain[2:], 16)
        spell = lambda v: plain[:2] + (f"{v:x}" if plain[2:] == plain[2:].lower() else f"{v:X}")
    elif plain[:2] in ("0b", "0B"):
        value, spell = int(plain[2:], 2), lambda v: plain[:2] + f"{v:b}"
    elif len(plain) > 1 and plain[0] == "0":
        value, spell = int(plain, 8), lambda v: f"0{v:o}"
    else:
        value, spell = int(plain), str
    return [spell(v) + suffix for v in (value - 1, value + 1) if v >= 0]


def _pure_specifier(structure, i):
    """The 0 of `virtual void f() = 0;`."""
    return (
        structure.is_punct(i - 1, "=")
        and structure.is_punct(i + 1, ";")
        and (structure.is_punct(i - 2, ")") or structure.text(i - 2) in ("const", "override", "noexcept"))
    )


def _condition(structure, opener):
    """The first and last token of the condition in the parentheses at `opener`, or None where negating it
    makes no sense (if constexpr, a declaration or an assignment)."""
    close = structure.match.get(opener)
    if close is None or close == opener + 1:
        return None
    members = structure.members(opener)
    semicolons = [k for k, i in enumerate(members) if structure.is_punct(i, ";")]
    if semicolons:
        members = members[semicolons[-1] + 1 :]
    if not members or any(structure.is_punct(i, "=") for i in members):
        return None
    return members[0], members[-1]


def _is_call(structure, statement):
    """A statement that is only a call: `f(x);`, `a.b->c(x);`, `emit changed();`."""
    i, last = statement.first, statement.last
    tokens = structure.tokens
    if tokens[i].text in ("emit", "Q_EMIT"):
        i += 1
    if structure.is_punct(i, "::"):
        i += 1
    if i >= last or tokens[i].kind != "ident" or (tokens[i].text in KEYWORDS and tokens[i].text != "this"):
        return False
    i += 1
    called = False
    while i < last:
        t = tokens[i]
        if t.kind == "punct" and t.text in ("(", "[") and i in structure.match:
            called = t.text == "("
            i = structure.match[i] + 1
        elif t.text in ("::", ".", "->") and tokens[i + 1].kind == "ident":
            called = False
            i += 2
        else:
            return False
    return called and i == last


def _removal(source, structure, statement):
    """The edit that takes `statement` away: its whole lines, or `{}` in place of a brace-less body."""
    tokens = structure.tokens
    first, last = tokens[statement.first], tokens[statement.last]
    if statement.braceless:
        return first.start, last.end, "{}"
    if _alone_on_lines(tokens, statement):
        return source.line_span(first.line)[0], source.line_span(last.line)[1], ""
    return first.start, last.end, ""


def _alone_on_lines(tokens, statement):
    first, last = tokens[statement.first], tokens[statement.last]
    starts_line = statement.first == 0 or tokens[statement.first - 1].line < first.line
    ends_line = statement.last + 1 >= len(tokens) or tokens[statement.last + 1].line > last.line
    return starts_line and ends_line


_NOT_SWAPPED = frozenset("""
    return break continue throw goto co_return case default using typedef static_assert else do if for while
    switch try
""".split())


def _swappable(source, structure, a, b):
    """Two simple statements of one line each, one right after the other, whose order can matter: one calls
    something, or they share a name."""
    tokens = structure.tokens
    if b.first != a.last + 1:
        return False
    for statement in (a, b):
        first, last = tokens[statement.first], tokens[statement.last]
        if statement.braceless or last.text != ";" or first.line != last.line:
            return False
        if first.text in _NOT_SWAPPED or structure.inert[statement.first]:
            return False
        if not _alone_on_lines(tokens, statement):
            return False
    line_a, line_b = (source.line_span(tokens[s.first].line) for s in (a, b))
    if source.text[line_a[0] : line_a[1]].strip() == source.text[line_b[0] : line_b[1]].strip():
        return False
    names_a, names_b = _names(tokens, a), _names(tokens, b)
    declared = _declared(structure, a)
    if any(name.split(".")[0] in declared for name in names_b):
        return False  # b uses what a declares: the swap would not compile
    if any(structure.is_punct(i, "(") for s in (a, b) for i in range(s.first, s.last)):
        return True
    return any(x == y or x.startswith(y + ".") or y.startswith(x + ".") for x in names_a for y in names_b)


_TYPE_KEYWORDS = frozenset(
    "auto bool char char8_t char16_t char32_t double float int long short signed unsigned".split()
)
_NOT_TYPES = frozenset(["return", "delete", "throw", "co_return", "co_yield"])


def _declared(structure, statement):
    """The names a declaration statement declares (`const QString& name = ...;`, `QString name;`,
    `QString name(x);`, `const auto [a, b] = ...;`)."""
    level = structure.parent[statement.first]
    members = [i for i in range(statement.first, statement.last + 1) if structure.parent[i] == level]
    for k, i in enumerate(members):
        t = structure.tokens[i]
        if t.kind != "punct" or t.text not in ("=", ";", "(", "{"):
            continue
        if k < 2:
            return set()
        name, before = members[k - 1], structure.tokens[members[k - 2]]
        if structure.is_punct(name, "]") and t.text == "=":  # a structured binding
            inside = range(structure.match.get(name, name) + 1, name)
            return {structure.text(j) for j in inside if structure.tokens[j].kind == "ident"}
        typed = before.text in (">", "*", "&", "&&") or (
            before.kind == "ident" and before.text not in _NOT_TYPES
        )
        return {structure.text(name)} if structure.tokens[name].kind == "ident" and typed else set()
    return set()


def _names(tokens, statement):
    """The names a statement uses, each as its whole path (`a.b.c`), types left out."""
    names, i = set(), statement.first
    while i <= statement.last:
        t = tokens[i]
        if t.kind == "ident" and t.text not in KEYWORDS and not t.text[0].isupper():
            path = t.text
            while i + 2 <= statement.last and tokens[i + 1].text in (".", "->"):
                if tokens[i + 2].kind != "ident":
                    break
                path += "." + tokens[i + 2].text
                i += 2
            names.add(path)
        i += 1
    return names
