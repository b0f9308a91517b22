// Watching: a match that fiverow-match writes as events, followed live:
// the boards of its games, the standings, the crosstable and the SPRT.
'use strict';

function startWatch() {
  byId('watch-panel').hidden = false;
  byId('play-only').hidden = true;
  byId('board').hidden = true;
  const watch = {views: new Map()};
  follow('api/watch/events', (snapshot) => renderWatch(watch, snapshot),
         () => setStatus('fiverow-board does not answer: is it still running? The page tries again.'));
}

function figure(value, decimals) {
  if (typeof value !== 'number') return String(value);
  return decimals === undefined ? String(value) : value.toFixed(decimals);
}

function renderWatch(watch, snapshot) {
  const match = snapshot.match;
  if (!match) {
    setStatus(snapshot.status || `Waiting for the match in ${snapshot.file}.`);
    return;
  }
  const labels = match.engines.map((engine) => engine.label);
  const label = (index) => labels[index] !== undefined ? labels[index] : String(index);
  const played = snapshot.results.length ? snapshot.results[snapshot.results.length - 1].game : 0;
  setStatus(snapshot.ended ? `The match has ended after ${played} games.`
                           : `Game ${played} of ${match.games} ended; the match goes on.`);
  byId('game-line').textContent = `${match.rule}, ${match.size} × ${match.size}; ` +
    match.engines.map((engine) => `${engine.label}: ${programName(engine.command)} (${engine.protocol})`)
      .join('; ');
  byId('game-line').title = match.engines.map((engine) => `${engine.label}: ${engine.command}`).join('\n');
  if (snapshot.skipped > 0) {
    showProblem(new Error(`${snapshot.skipped} lines of ${snapshot.file} were not events and were skipped.`));
  }

  // The boards, each kept from one snapshot to the next.
  const boards = byId('boards');
  const shown = new Set();
  for (const game of snapshot.boards) {
    shown.add(game.game);
    let view = watch.views.get(game.game);
    if (!view) {
      const figureNode = element('figure', {class: 'game'});
      const caption = element('figcaption');
      figureNode.appendChild(caption);
      view = {node: figureNode, caption, board: new BoardView(figureNode, null)};
      watch.views.set(game.game, view);
      boards.prepend(figureNode);
    }
    view.board.setSize(match.size);
    view.board.setStones(game.stones);
    const result = game.result;
    view.caption.textContent = `Game ${game.game}: x ${label(game.x)}, o ${label(game.o)}. ` +
      (!result ? `${sideOfStone(game.stones.length)} to move.`
               : `${result.winner ? `${result.winner} wins` : 'Draw'}: ${result.reason}.`);
  }
  showNotes(snapshot.boards.flatMap((game) => game.notes.map((note) =>
    ({...note, side: `game ${game.game}: ${note.side}`}))));
  for (const [game, view] of watch.views) {
    if (!shown.has(game)) {
      view.node.remove();
      watch.views.delete(game);
    }
  }

  const standings = byId('standings');
  standings.replaceChildren();
  const figures = snapshot.standings;
  if (figures && Array.isArray(figures.engines)) {
    const rated = figures.engines.some((engine) => engine.rating);
    const rows = [['engine', 'games', 'points', 'wins', 'draws', 'losses', 'illegal', 'time-outs',
                   'crashes', 'median move', ...(rated ? ['Elo ± 95%'] : [])]];
    figures.engines.forEach((engine, index) => {
      const rating = engine.rating
        ? `${figure(engine.rating.elo, 1)} ± ${figure(engine.rating.margin, 1)}` : '–';
      rows.push([label(index), figure(engine.games), figure(engine.points), figure(engine.wins),
                 figure(engine.draws), figure(engine.losses), figure(engine.illegal),
                 figure(engine.timeOuts), figure(engine.crashes),
                 `${figure(engine.medianMoveSeconds * 1000, 1)} ms`, ...(rated ? [rating] : [])]);
    });
    standings.appendChild(table(rows, 'standings'));
    if (Array.isArray(figures.points)) {
      const cross = [['points of the row against the column', ...labels]];
      figures.points.forEach((row, index) => {
        cross.push([label(index), ...row.map((points, column) =>
          column === index ? '–' : `${figure(points)} / ${figure(figures.games[index][column])}`)]);
      });
      standings.appendChild(table(cross, 'crosstable'));
    }
    if (figures.elo) {
      standings.appendChild(element('p', {}, `Elo of ${label(0)} over ${label(1)}: ` +
        `${figure(figures.elo.elo, 1)} ± ${figure(figures.elo.margin, 1)} (95%), ` +
        `LOS ${figure(figures.elo.los * 100, 1)}%`));
    }
  }
  renderSprt(snapshot.sprt, match.sprt);

  const results = byId('results');
  results.replaceChildren();
  for (const result of snapshot.results.slice().reverse()) {
    results.appendChild(element('li', {}, `Game ${result.game} (x ${label(result.x)}, ` +
      `o ${label(result.o)}): ${result.winner ? `${result.winner} wins` : 'draw'}: ${result.reason}`));
  }
}

// The log-likelihood ratio after each pair of games, between its bounds.
function renderSprt(sprt, parameters) {
  const box = byId('sprt');
  box.replaceChildren();
  if (!sprt || !parameters) return;
  const width = 480;
  const height = 200;
  const pad = 36;
  const points = sprt.points;
  const most = Math.max(2, ...points.map((point) => point[0]));
  const top = Math.max(sprt.upper, ...points.map((point) => point[1])) * 1.1;
  const bottom = Math.min(sprt.lower, ...points.map((point) => point[1])) * 1.1;
  const x = (games) => pad + (games / most) * (width - 2 * pad);
  const y = (llr) => pad / 2 + ((top - llr) / (top - bottom)) * (height - pad);
  const svg = svgNode('svg', {viewBox: `0 0 ${width} ${height}`, class: 'sprt', role: 'img',
                              'aria-label': 'the SPRT log-likelihood ratio by games'});
  svg.appendChild(svgNode('rect', {width, height, class: 'plot'}));
  for (const [bound, name] of [[sprt.upper, 'H1'], [0, ''], [sprt.lower, 'H0']]) {
    svg.appendChild(svgNode('line', {x1: pad, x2: width - pad, y1: y(bound), y2: y(bound),
                                     class: name ? 'bound' : 'axis'}));
    svg.appendChild(svgNode('text', {x: pad - 4, y: y(bound) + 4, class: 'tick'}, figure(bound, 2)));
    if (name) svg.appendChild(svgNode('text', {x: width - pad + 4, y: y(bound) + 4, class: 'name'}, name));
  }
  svg.appendChild(svgNode('text', {x: width - pad, y: height - 4, class: 'tick'}, `${most} games`));
  const line = points.map((point) => `${x(point[0]).toFixed(1)},${y(point[1]).toFixed(1)}`).join(' ');
  svg.appendChild(svgNode('polyline', {points: line, class: 'llr'}));
  box.appendChild(svg);
  const decision = sprt.decision === 'continue' ? 'no decision yet' : `${sprt.decision} accepted`;
  box.appendChild(element('p', {}, `SPRT [${figure(parameters.elo0)}, ${figure(parameters.elo1)}]: ` +
    `llr ${figure(sprt.llr, 2)} between ${figure(sprt.lower, 2)} and ${figure(sprt.upper, 2)}, ${decision}.`));
}
