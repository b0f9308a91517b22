// Playing: the person against one of the engines the server was started
// with. The game lives on the server, named in the page's address (g=...),
// so that a reload finds it again.
'use strict';

function startPlay(config) {
  const play = {config, state: null, viewOf: -1};
  byId('play-controls').hidden = false;
  byId('view-controls').hidden = false;
  const board = new BoardView(byId('board'), (x, y) => clickedCell(play, x, y));
  const insight = new Insight(board);
  play.board = board;
  play.insight = insight;

  const engine = byId('engine');
  config.engines.forEach((entry, index) => {
    engine.appendChild(element('option', {value: index, title: entry.command},
                               `${entry.name} (${entry.protocol})`));
  });
  for (const rule of config.rules) byId('rule').appendChild(element('option', {value: rule}, rule));
  const fillSizes = () => {
    const sizes = byId('size');
    const chosen = Number(sizes.value) || 20;
    sizes.replaceChildren();
    for (const size of config.engines[Number(engine.value)].sizes) {
      sizes.appendChild(element('option', {value: size}, `${size} × ${size}`));
    }
    sizes.value = config.engines[Number(engine.value)].sizes.includes(chosen) ? chosen : 20;
  };
  engine.addEventListener('change', fillSizes);
  fillSizes();

  byId('new-game').addEventListener('click', () => act(play, 'new', choiceOf()));
  byId('take-back').addEventListener('click', () => act(play, 'takeback', {}));
  byId('resign').addEventListener('click', () => act(play, 'resign', {}));
  byId('show-view').addEventListener('click', async () => {
    if (play.state) await insight.toggle(play.state.stones);
    renderPlay(play);
  });
  byId('follow-view').addEventListener('change', () => renderPlay(play));
  openGame(play);
}

function choiceOf() {
  return {engine: Number(byId('engine').value), side: byId('side').value,
          rule: byId('rule').value, size: Number(byId('size').value)};
}

// The game the address names, or a new one.
async function openGame(play) {
  const named = new URLSearchParams(location.search).get('g');
  let state = null;
  if (named && /^[0-9a-f]{32}$/.test(named)) {
    try {
      state = await api(`api/games/${named}`);
    } catch (error) {
      showProblem(new Error('The game of this address has ended (left alone too long, or the ' +
                            'server was started again): here is a new one.'));
    }
  }
  try {
    if (!state) state = await api('api/games', choiceOf());
  } catch (error) {
    setStatus(error.message);
    return;
  }
  history.replaceState(null, '', `?t=${encodeURIComponent(TOKEN)}&g=${state.id}`);
  byId('engine').value = state.engine;
  byId('side').value = state.you;
  byId('rule').value = state.rule;
  byId('engine').dispatchEvent(new Event('change'));
  byId('size').value = state.size;
  showState(play, state);
  const path = `api/games/${state.id}`;
  follow(`${path}/events`, (next) => showState(play, next), (source) => lost(play, source),
         () => api(path).catch(() => {}));
}

// The stream broke: the game has ended on the server, the server was
// started anew, or it does not answer (the stream then tries again).
async function lost(play, source) {
  try {
    await api(`api/games/${play.state.id}`);
    return;
  } catch (error) {
    if (error.status !== 404 && error.status !== 403) {
      setStatus(`${error.message} The page tries again.`);
      return;
    }
    source.close();
    setStatus(error.status === 404
      ? 'This game has ended on the server (left alone too long, or the server was started ' +
        'again): reload the page for a new one.'
      : 'fiverow-board was started again: open the new address it printed.');
  }
  for (const id of ['new-game', 'take-back', 'resign']) byId(id).disabled = true;
}

async function act(play, action, body) {
  if (!play.state) return;
  showProblem(null);
  try {
    showState(play, await api(`api/games/${play.state.id}/${action}`, body));
  } catch (error) {
    showProblem(error);
  }
}

async function clickedCell(play, x, y) {
  if (play.insight.shown && byId('click-explains').checked) {
    play.insight.explain([x, y]);
    return;
  }
  if (!play.state || play.state.phase !== 'your-move') return;
  await act(play, 'move', {cell: [x, y]});
}

function showState(play, state) {
  const previous = play.state;
  // An answer to a request may come after a newer update of the stream.
  if (previous && previous.id === state.id && state.version < previous.version) return;
  play.state = state;
  const changed = !previous || previous.stones.length !== state.stones.length ||
                  previous.size !== state.size;
  play.board.setSize(state.size);
  if (changed) {
    play.board.setStones(state.stones);
    if (play.insight.shown) play.insight.hide();
  }
  renderPlay(play);
}

// The name the engine gives itself once it has (a pipe engine's ABOUT), else
// its program's; the list of engines learns it too.
function engineName(play) {
  const state = play.state;
  const entry = play.config.engines[state.engine];
  if (state.engineName) {
    byId('engine').options[state.engine].textContent = `${state.engineName} (${entry.protocol})`;
  }
  return state.engineName || entry.name;
}

// The status in words, the buttons, the engine's lines, and fiverow's view
// after each of its moves when asked for.
function renderPlay(play) {
  const state = play.state;
  if (!state) return;
  const you = state.you;
  const them = you === 'x' ? 'o' : 'x';
  const name = engineName(play);
  const colour = (side) => (side === 'x' ? 'black' : 'white');
  let status;
  if (state.phase === 'your-move') {
    status = `Your move: you play ${you} (${colour(you)}).`;
  } else if (state.phase === 'thinking') {
    status = `${name} (${them}, ${colour(them)}) is thinking…`;
  } else if (state.phase === 'failed') {
    status = `The game cannot go on: ${state.failure}`;
  } else if (!state.result.winner) {
    status = `Draw: ${state.result.reason}.`;
  } else {
    status = `${state.result.winner === you ? 'You win' : `${name} wins`}: ${state.result.reason}.`;
  }
  if (state.pending) status += ` (Your ${state.pending} waits for ${name}'s move.)`;
  setStatus(status);
  byId('game-line').textContent = `${state.rule}, ${state.size} × ${state.size}, ` +
    `${state.stones.length} stones; you play ${you}, ${name} plays ${them}.`;
  byId('game-line').title = play.config.engines[state.engine].command;
  byId('take-back').disabled = !state.canTakeBack;
  byId('resign').disabled = state.phase === 'over' || state.phase === 'failed' || !!state.pending;
  byId('new-game').disabled = !!state.pending;

  showNotes(state.notes);

  const fiverow = play.config.engines[state.engine].fiverow && state.size === 20;
  byId('show-view').disabled = state.size !== 20;
  byId('follow-view').disabled = !fiverow;
  // After each of fiverow's moves, the position it saw and the move it chose.
  const count = state.stones.length;
  if (fiverow && byId('follow-view').checked && count > 0 && sideOfStone(count - 1) === them &&
      play.viewOf !== count) {
    play.viewOf = count;
    play.insight.show(state.stones.slice(0, count - 1), them, state.stones[count - 1])
      .then(() => renderPlay(play));
  }
}
