// Replaying: a recorded game, stepped through forward and back.
'use strict';

async function startReplay() {
  byId('replay-controls').hidden = false;
  byId('view-controls').hidden = false;
  byId('play-only').hidden = true;
  const board = new BoardView(byId('board'), (x, y) => insight.explain([x, y]));
  const insight = new Insight(board);
  let game;
  try {
    game = await api('api/replay');
  } catch (error) {
    setStatus(error.message);
    return;
  }
  const stones = game.opening.concat(game.moves);
  const first = game.opening.length;
  const slider = byId('step');
  slider.min = 0;
  slider.max = game.moves.length;
  board.setSize(game.size);
  byId('game-line').textContent = `x: ${programName(game.x.command)} (${game.x.protocol}); ` +
    `o: ${programName(game.o.command)} (${game.o.protocol}); ${game.rule}, ${game.size} × ${game.size}`;
  byId('game-line').title = `x: ${game.x.command}\no: ${game.o.command}`;

  let step = 0;
  const show = (next) => {
    step = Math.max(0, Math.min(game.moves.length, next));
    slider.value = step;
    const shown = stones.slice(0, first + step);
    board.setStones(shown, step > 0);
    let status = step === 0 ? `The opening, ${first} stones.` : `Move ${step} of ${game.moves.length}: ` +
      `${sideOfStone(first + step - 1)} ${shown[shown.length - 1].join(',')}.`;
    if (step === game.moves.length) {
      status += ` ${game.winner ? `${game.winner} wins` : 'Draw'}: ${game.reason}.`;
    }
    setStatus(status);
    showNotes(game.notes.filter((note) => note.before < step || step === game.moves.length));
    if (insight.shown) insight.show(shown, sideOfStone(shown.length));
  };
  const buttons = {'replay-first': () => 0, 'replay-back': () => step - 1,
                   'replay-forward': () => step + 1, 'replay-last': () => game.moves.length};
  for (const [id, next] of Object.entries(buttons)) byId(id).addEventListener('click', () => show(next()));
  slider.addEventListener('input', () => show(Number(slider.value)));
  document.addEventListener('keydown', (event) => {
    const keys = {ArrowLeft: step - 1, ArrowRight: step + 1, Home: 0, End: game.moves.length};
    if (event.key in keys && event.target.tagName !== 'INPUT') show(keys[event.key]);
  });
  byId('show-view').addEventListener('click', () => insight.toggle(stones.slice(0, first + step)));
  byId('show-view').disabled = game.size !== 20;
  show(0);
}
