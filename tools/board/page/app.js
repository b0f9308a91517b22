// What every view of the page shares: requests to the server with the
// token, its streams of updates, small DOM helpers, and fiverow's view of a
// position (the heat map, the best cells and a cell's passes).
'use strict';

const TOKEN = new URLSearchParams(location.search).get('t') || '';

function withToken(path) {
  return `${path}${path.includes('?') ? '&' : '?'}t=${encodeURIComponent(TOKEN)}`;
}

// A request to the server: its JSON answer, or an Error saying why not.
async function api(path, body) {
  const options = body === undefined ? {} : {
    method: 'POST', headers: {'Content-Type': 'application/json'}, body: JSON.stringify(body),
  };
  let response;
  try {
    response = await fetch(withToken(path), options);
  } catch (error) {
    throw new Error('fiverow-board does not answer: is it still running?');
  }
  const answer = await response.json().catch(() => ({}));
  if (!response.ok) {
    const error = new Error(answer.problem || `the server answered ${response.status}`);
    error.status = response.status;
    throw error;
  }
  return answer;
}

// Follows a stream of server-sent events while the page is in view:
// onData(snapshot) for each, onBroken(source) when it breaks (it tries
// again by itself unless closed). A hidden page closes its stream, since a
// browser opens only a few connections to one server for all its tabs, and
// calls ping() now and then instead, so that the server knows it is open.
function follow(path, onData, onBroken, ping) {
  let source = null;
  let timer = null;
  const open = () => {
    source = new EventSource(withToken(path));
    source.onmessage = (event) => onData(JSON.parse(event.data));
    source.onerror = () => onBroken(source);
  };
  const changed = () => {
    clearInterval(timer);
    if (document.hidden) {
      if (source) source.close();
      source = null;
      if (ping) timer = setInterval(ping, 30000);
    } else if (!source) {
      open();
    }
  };
  document.addEventListener('visibilitychange', changed);
  changed();
}

// An HTML element with attributes and text (through textContent only).
function element(tag, attributes, text) {
  return filledNode(document.createElement(tag), attributes, text);
}

// An engine as a person names it: its program's file name, not the whole
// command (which the page keeps in a title, one hover away).
function programName(command) {
  const rest = command.replace(/^(file|pipe):/, '').trim();
  const quoted = /^(['"])(.*?)\1/.exec(rest);
  const program = quoted ? quoted[2] : rest.split(/\s+/)[0];
  return program.slice(program.lastIndexOf('/') + 1) || command;
}

function byId(id) {
  return document.getElementById(id);
}

// The engines' lines, as text.
function showNotes(notes) {
  const list = byId('notes');
  list.replaceChildren();
  for (const note of notes) list.appendChild(element('li', {}, `${note.side} ${note.kind} ${note.text}`));
  byId('notes-box').hidden = notes.length === 0;
}

function setStatus(text) {
  byId('status').textContent = text;
}

function showProblem(error) {
  byId('problem').textContent = error ? error.message : '';
}

// A table whose cells are the texts of `rows`; the first row is the head.
function table(rows, className) {
  const node = element('table', className ? {class: className} : {});
  rows.forEach((row, index) => {
    const line = element('tr');
    for (const text of row) line.appendChild(element(index === 0 ? 'th' : 'td', {}, text));
    node.appendChild(line);
  });
  return node;
}

// fiverow's view of the position on a board view: the heat map, the best
// cells and, for a chosen cell, its passes. Only on 20 x 20.
class Insight {
  constructor(board) {
    this.board = board;
    this.position = null;  // {x: [...], o: [...], turn}
    this.view = null;
    this.cell = null;
  }

  get shown() {
    return this.view !== null;
  }

  // Shows fiverow's view of `stones` (x first) for `turn` to play; `played`
  // is the move fiverow made there, if it has.
  async show(stones, turn, played = null) {
    const position = {x: [], o: [], turn};
    stones.forEach((stone, index) => position[sideOfStone(index)].push(stone));
    this.position = position;
    this.played = played;
    this.cell = null;
    try {
      this.view = await api('api/analysis', position);
      this.board.setHeat(this.view);
      this.board.setSelected(null);
      this.render();
    } catch (error) {
      showProblem(error);
    }
  }

  // The view button's: hides the view, or shows it for `stones` with the
  // side to move next.
  async toggle(stones) {
    if (this.shown) {
      this.hide();
    } else {
      await this.show(stones, sideOfStone(stones.length));
    }
  }

  hide() {
    this.view = null;
    this.cell = null;
    this.board.setHeat(null);
    this.board.setSelected(null);
    this.render();
  }

  // The passes that made the score of `cell`.
  async explain(cell) {
    if (!this.position) return;
    try {
      const view = await api('api/analysis', {...this.position, cell});
      this.cell = cell;
      this.board.setSelected(cell);
      this.renderPasses(view.passes);
    } catch (error) {
      showProblem(error);
    }
  }

  render() {
    byId('show-view').textContent =
      this.shown ? 'Hide fiverow\'s view' : 'Show fiverow\'s view of this position';
    const box = byId('insight');
    box.replaceChildren();
    byId('passes').replaceChildren();
    if (!this.view) return;
    const [x, y] = this.view.chosen;
    const choice = this.played ? 'chose' : 'would choose';
    box.appendChild(element('p', {id: 'chosen'},
                            `fiverow, playing ${this.view.turn}, ${choice} ${x},${y} ` +
                            `(score ${this.view.scores[y][x]}). Best cells:`));
    const list = element('ol', {class: 'best'});
    for (const best of this.view.best) {
      const button = element('button', {type: 'button'}, `${best.cell[0]},${best.cell[1]}  ${best.score}`);
      button.addEventListener('click', () => this.explain(best.cell));
      list.appendChild(element('li')).appendChild(button);
    }
    box.appendChild(list);
  }

  renderPasses(passes) {
    const box = byId('passes');
    box.replaceChildren();
    const [x, y] = passes.cell;
    if (passes.rows.length === 0) {
      box.appendChild(element('p', {}, `Cell ${x},${y} holds a stone: it scores 0.`));
      return;
    }
    box.appendChild(element('h3', {}, `Cell ${x},${y}: 16 passes, total ${passes.total}`));
    const rows = [['direction', 'examines', 'line c(-2)..c(+4)', 'deciding tier', 'rows', 'adds']];
    for (const pass of passes.rows) {
      rows.push([`(${pass.direction[0]},${pass.direction[1]})`,
                 `${pass.side} ${pass.own ? 'own' : 'other'}`, pass.line, pass.tier, pass.rows,
                 pass.adds]);
    }
    rows.push(['total', '', '', '', '', passes.total]);
    box.appendChild(table(rows, 'passes'));
  }
}

async function start() {
  try {
    const config = await api('api/config');
    document.body.dataset.mode = config.mode;
    if (config.mode === 'play') startPlay(config);
    if (config.mode === 'watch') startWatch(config);
    if (config.mode === 'replay') startReplay(config);
  } catch (error) {
    setStatus(error.message);
  }
}

document.addEventListener('DOMContentLoaded', start);
